#include "warehouse/rules/WarehouseSheet.h"

#include "storage/Codepage.h"
#include "storage/StoredText.h"

#include <algorithm>

const std::array<TSchedaProdotto::Field, WarehouseSheet::ColumnCount> &WarehouseSheet::fields()
{
    using S = TSchedaProdotto;
    static const std::array<S::Field, ColumnCount> columns
        = { S::Codice, S::Costo, S::Nome, S::Giacenza, S::UM, S::Tipologia, S::Caratteristiche, S::Collocazione,
              S::Ditta, S::Agente, S::Recapito, S::Documento, S::Pagamento, S::DataSca, S::Note, S::Prezzo, S::Pagato };
    return columns;
}

void WarehouseSheet::clear()
{
    m_bytes.clear();
    m_cellStart.clear();
    m_edits.clear();
    m_rowCount = 0;
    m_filled = 0;
}

void WarehouseSheet::setRowCount(qsizetype rows)
{
    m_rowCount = std::max(rows, m_filled);
}

void WarehouseSheet::reserve(qsizetype records)
{
    qsizetype longest = 0;
    for (TSchedaProdotto::Field f : fields())
        longest += TSchedaProdotto::info(f).width;
    m_bytes.reserve(m_bytes.size() + records * longest);
    m_cellStart.reserve(m_cellStart.size() + size_t(records) * ColumnCount + 1);
}

void WarehouseSheet::appendRecord(const char *record)
{
    if (m_cellStart.empty())
        m_cellStart.push_back(0);
    for (TSchedaProdotto::Field f : fields()) {
        const TSchedaProdotto::FieldInfo &info = TSchedaProdotto::info(f);
        const QByteArrayView text = storedText(record + info.offset, info.width);
        m_bytes.append(text.data(), text.size());
        m_cellStart.push_back(m_bytes.size());
    }
    ++m_filled;
    m_rowCount = std::max(m_rowCount, m_filled);
}

QString WarehouseSheet::text(qsizetype row, int column) const
{
    const qsizetype key = row * ColumnCount + column;
    if (!m_edits.isEmpty()) {
        auto it = m_edits.constFind(key);
        if (it != m_edits.constEnd())
            return *it;
    }
    if (row >= m_filled || row < 0)
        return QString();
    const qsizetype begin = m_cellStart[key];
    return fromCp1252(m_bytes.constData() + begin, m_cellStart[key + 1] - begin);
}

std::optional<QByteArrayView> WarehouseSheet::storedBytes(qsizetype row, int column) const
{
    const qsizetype key = row * ColumnCount + column;
    if (!m_edits.isEmpty() && m_edits.contains(key))
        return std::nullopt;
    if (row >= m_filled || row < 0)
        return QByteArrayView();
    const qsizetype begin = m_cellStart[key];
    return QByteArrayView(m_bytes.constData() + begin, m_cellStart[key + 1] - begin);
}

void WarehouseSheet::setText(qsizetype row, int column, const QString &text)
{
    m_edits.insert(row * ColumnCount + column, text);
}
