#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <cstring>

/**
 * The size and a checksum of a file's bytes, recorded after a change so that undoing it can tell
 * whether anything else has changed the file since. Not a safeguard against tampering: a quick sum
 * over every byte, fed in order in pieces of any size.
 */
class FileMark
{
public:
    void add(const char *bytes, qint64 n)
    {
        m_size += n;
        qint64 i = 0;
        for (; i < n && m_filled != 0; ++i)
            addByte(bytes[i]);
        // Whole words at a time: the sum runs over a 260 MB archive after every price change.
        for (; i + 8 <= n; i += 8) {
            std::memcpy(&m_word, bytes + i, 8);
            mix();
        }
        for (; i < n; ++i)
            addByte(bytes[i]);
    }
    void add(const QByteArray &bytes) { add(bytes.constData(), bytes.size()); }

    qint64 size() const { return m_size; }
    /** The sum of every byte added so far. */
    quint64 sum() const
    {
        FileMark end = *this;
        if (end.m_filled > 0)
            end.mix();
        return end.m_sum ^ quint64(m_size);
    }

    bool operator==(const FileMark &other) const { return size() == other.size() && sum() == other.sum(); }

private:
    void addByte(char byte)
    {
        m_word |= quint64(quint8(byte)) << (8 * m_filled);
        if (++m_filled == 8)
            mix();
    }
    void mix()
    {
        m_sum = (m_sum ^ m_word) * 0x9E3779B97F4A7C15ULL;
        m_sum = (m_sum << 31) | (m_sum >> 33);
        m_word = 0;
        m_filled = 0;
    }

    qint64 m_size = 0;
    quint64 m_sum = 0x6A09E667F3BCC908ULL;
    quint64 m_word = 0;
    int m_filled = 0;
};
