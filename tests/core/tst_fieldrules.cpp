#include "storage/FieldRules.h"
#include "storage/TextField.h"
#include "tests/support/Locales.h"

#include <QDate>
#include <QtTest>

#include <clocale>

class TestFieldRules : public QObject
{
    Q_OBJECT

private slots:
    // Every rule below runs once under each locale a shop's computer may have: the C library's
    // number functions follow it, the program's rules must not.
    void initTestCase_data()
    {
        QTest::addColumn<QByteArray>("locale");
        for (const QByteArray &name : shopLocales())
            QTest::newRow(name.constData()) << name;
    }
    void init()
    {
        QFETCH_GLOBAL(QByteArray, locale);
        if (!std::setlocale(LC_ALL, locale.constData()))
            QSKIP(qPrintable(QStringLiteral("locale %1 is not installed here (scripts/install-deps makes it)")
                                 .arg(QString::fromLatin1(locale))));
    }
    void cleanupTestCase() { std::setlocale(LC_ALL, "C.UTF-8"); }

    void cLibraryReallyFollowsTheLocale()
    {
        // Proves the table runs where it matters: under it_IT the C library writes a comma.
        QFETCH_GLOBAL(QByteArray, locale);
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%.1f", 12.5);
        const bool commaLocale = !locale.startsWith("C") && !locale.startsWith("en");
        QCOMPARE(QByteArray(buffer), commaLocale ? QByteArray("12,5") : QByteArray("12.5"));
    }

    void rounding_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<double>("expected");
        // Halves go up, negative halves towards zero.
        QTest::newRow("2,5") << 2.5 << 0 << 3.0;
        QTest::newRow("-2,5") << -2.5 << 0 << -2.0;
        QTest::newRow("-3") << -3.0 << 0 << -3.0;
        QTest::newRow("-3,5") << -3.5 << 0 << -3.0;
        QTest::newRow("7,49") << 7.49 << 0 << 7.0;
        QTest::newRow("2,345") << 2.345 << 2 << 2.35;
        QTest::newRow("3,999") << 3.999 << 2 << 4.0;
        QTest::newRow("0,005") << 0.005 << 2 << 0.01;
        QTest::newRow("-0,004") << -0.004 << 2 << 0.0;
        // Decimals a double cannot hold fall on the lower side; a plain double sum would go up.
        QTest::newRow("1,005") << 1.005 << 2 << 1.0;
        QTest::newRow("1,115") << 1.115 << 2 << 1.11;
        QTest::newRow("2,675") << 2.675 << 2 << 2.67;
        QTest::newRow("-0,005") << -0.005 << 2 << -0.01;
        QTest::newRow("large") << 123456789.125 << 2 << 123456789.13;
    }
    void rounding()
    {
        QFETCH(double, value);
        QFETCH(int, decimals);
        QFETCH(double, expected);
        QCOMPARE(roundTo(value, decimals), expected);
    }

    void money_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("whole") << "7"
                               << "7,00";
        QTest::newRow("trailing comma") << "7,"
                                        << "7,00";
        QTest::newRow("leading comma") << ",75"
                                       << "0,75";
        QTest::newRow("one decimal") << "12,5"
                                     << "12,50";
        QTest::newRow("comma alone") << ","
                                     << "0,00";
        QTest::newRow("leading zeros, rounded") << "0012,3456"
                                                << "12,35";
        QTest::newRow("rounds up to whole") << "3,999"
                                            << "4,00";
        QTest::newRow("1,005") << "1,005"
                               << "1,00";
        QTest::newRow("1,115") << "1,115"
                               << "1,11";
        QTest::newRow("five thousandths") << "0,005"
                                          << "0,01";
        QTest::newRow("empty") << ""
                               << "0,00";
        QTest::newRow("blanks") << "   "
                                << "0,00";
        QTest::newRow("blanks around") << "  8,1 "
                                       << "8,10";
        QTest::newRow("full stop") << "12.50"
                                   << "0,00";
        QTest::newRow("thousands separator") << "1.234,50"
                                             << "0,00";
        QTest::newRow("two commas") << "1,2,3"
                                    << "0,00";
        QTest::newRow("letters") << "abc"
                                 << "0,00";
        QTest::newRow("negative") << "-5"
                                  << "-5,00";
        QTest::newRow("2,675") << "2,675"
                               << "2,67";
        QTest::newRow("-0,005") << "-0,005"
                                << "-0,01";
        QTest::newRow("exponent") << "1,5e3"
                                  << "1500,00";
        QTest::newRow("below a double's range") << "1e-400"
                                                << "0,00";
        QTest::newRow("plus sign") << "+5,5"
                                   << "5,50";
        QTest::newRow("exponent") << "1,5e2"
                                  << "150,00";
        QTest::newRow("bad exponent") << "1e"
                                      << "0,00";
        QTest::newRow("fifteen digits kept") << "123456789012,34"
                                             << "123456789012,34";
    }
    void money()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QCOMPARE(normaliseMoney(typed), shown);
    }

    void quantity_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("leading zeros") << "0004"
                                       << "4";
        QTest::newRow("0012") << "0012"
                              << "12";
        QTest::newRow("half up") << "7,5"
                                 << "8";
        QTest::newRow("below half") << "7,49"
                                    << "7";
        QTest::newRow("negative stays") << "-3"
                                        << "-3";
        QTest::newRow("negative half") << "-2,5"
                                       << "-2";
        QTest::newRow("empty") << ""
                               << "0";
        QTest::newRow("comma alone") << ","
                                     << "0";
        QTest::newRow("letters") << "dieci"
                                 << "0";
        QTest::newRow("full stop") << "1.5"
                                   << "0";
        QTest::newRow("zero") << "0"
                              << "0";
    }
    void quantity()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QCOMPARE(normaliseQuantity(typed), shown);
    }

    void generalForm_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("12.5") << 12.5 << "12,5";
        QTest::newRow("twelve") << 12.0 << "12";
        QTest::newRow("five hundredths") << 0.05 << "0,05";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("negative zero") << -0.0 << "0";
        QTest::newRow("sum error hidden") << 0.1 + 0.2 << "0,3";
        QTest::newRow("15 digits") << 1234567.89012345 << "1234567,89012345";
        QTest::newRow("16th digit rounded") << 0.1234567890123456 << "0,123456789012346";
        QTest::newRow("large") << 1e15 << "1E15";
        QTest::newRow("small") << 0.00001 << "1E-5";
        QTest::newRow("1e-4") << 0.0001 << "0,0001";
    }
    void generalForm()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(::generalForm(value), text);
    }

    void parsingRejectsWhatIsNotANumber()
    {
        QVERIFY(!parseDecimal(QStringLiteral("")).has_value());
        QVERIFY(!parseDecimal(QStringLiteral("-")).has_value());
        QVERIFY(!parseDecimal(QStringLiteral("1 2")).has_value());
        QVERIFY(!parseDecimal(QStringLiteral("1e999")).has_value());
        QVERIFY(!parseDecimal(QStringLiteral("0,001e312")).has_value());
        QVERIFY(!parseDecimal(QStringLiteral("+-1")).has_value());
        QCOMPARE(parseDecimal(QStringLiteral("-1e-400")).value(), 0.0);
        QCOMPARE(parseDecimal(QStringLiteral("+12,5")).value(), 12.5);
        QCOMPARE(parseDecimal(QStringLiteral("5,")).value(), 5.0);
        QVERIFY(!parseDecimal(QStringLiteral("\u0661")).has_value()); // an Arabic-Indic digit
        QCOMPARE(parseDecimal(QStringLiteral(" -0,5 ")).value(), -0.5);
        QVERIFY_THROWS_EXCEPTION(ConversionError, toDecimal(QStringLiteral("12.50")));
    }

    void fitting()
    {
        QCOMPARE(fitText(QStringLiteral("  Rosa rossa \t"), 4), QStringLiteral("Rosa"));
        QCOMPARE(fitText(QStringLiteral(" Rosa "), 25), QStringLiteral("Rosa"));
        QCOMPARE(fitText(QStringLiteral("\r\n"), 25), QString());
        QCOMPARE(firstChars(QStringLiteral("abc"), 5), QStringLiteral("abc"));
        QCOMPARE(lastChars(QStringLiteral("abc"), 2), QStringLiteral("bc"));
        QCOMPARE(lastChars(QStringLiteral("abc"), 5), QStringLiteral("abc"));
    }

    void dateForm() { QCOMPARE(formatDate(QDate(2024, 3, 5)), QStringLiteral("05/03/2024")); }

    // Sentences name a date with the article its spoken day takes, and write counts one way.
    void wording_data()
    {
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("expected");
        QTest::newRow("uno") << ofDate(QDate(2026, 12, 1)) << "dell'01/12/2026";
        QTest::newRow("otto") << ofDate(QDate(2026, 12, 8)) << "dell'08/12/2026";
        QTest::newRow("undici") << ofDate(QDate(2026, 12, 11)) << "dell'11/12/2026";
        QTest::newRow("sette") << ofDate(QDate(2025, 1, 7)) << "del 07/01/2025";
        QTest::newRow("diciotto") << ofDate(QDate(2025, 1, 18)) << "del 18/01/2025";
        QTest::newRow("ventuno") << ofDate(QDate(2025, 1, 21)) << "del 21/01/2025";
        QTest::newRow("ventotto") << ofDate(QDate(2025, 2, 28)) << "del 28/02/2025";
        QTest::newRow("zero") << formatCount(0) << "0";
        QTest::newRow("three digits") << formatCount(999) << "999";
        QTest::newRow("four digits") << formatCount(1789) << "1.789";
        QTest::newRow("five digits") << formatCount(18881) << "18.881";
        QTest::newRow("six digits") << formatCount(100000) << "100.000";
        QTest::newRow("seven digits") << formatCount(1234567) << "1.234.567";
        QTest::newRow("negative") << formatCount(-1234) << "-1.234";
        QTest::newRow("negative short") << formatCount(-123) << "-123";
    }
    void wording()
    {
        QFETCH(QString, written);
        QFETCH(QString, expected);
        QCOMPARE(written, expected);
    }
};

QTEST_GUILESS_MAIN(TestFieldRules)
#include "tst_fieldrules.moc"
