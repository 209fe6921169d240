#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace zovi {

// The text without leading and trailing blanks (character 32 only).
QString StripBlanks(const QString& text);

// The nearest integer, halves to the even neighbour.
int RoundHalfEven(double value);

// True when the text is empty or holds only blanks (character 32); a tab counts as content.
bool IsBlank(const QString& text);

// True when the text, stripped of leading and trailing blanks, is empty or holds any character
// other than the digits, ".", "," and the decimal separator. It checks characters only:
// "1.2.3" passes as a number; use ToAmount to read the value.
bool IsNotNumber(const QString& text);

// Strips leading and trailing blanks and replaces every "." and "," by the decimal separator;
// when the stripped text is empty, result keeps what the caller had in it.
void NormalizeDecimal(const QString& text, QString& result);

// An amount rounded to the cent, halves away from zero. The half is judged on the amount as its
// 15 significant digits write it, so that 1.005, which binary floating point keeps a hair
// below, rounds up to 1.01 as written.
double RoundToCents(double amount);

// The display form of an amount: rounded to the cent (RoundToCents), digit groups of three
// separated by a blank, the decimal separator, no trailing zeros.
QString FormatMoney(double amount);

// The value of a typed amount: normalised as NormalizeDecimal does, then read as one number with
// at most one separator. Empty when the text is not such a number ("1.2.3", ",", "", "-5").
std::optional<double> ToAmount(const QString& text);

// Amounts and rates stay below this magnitude: 10^13 with two decimals is 15 significant digits,
// which a double holds exactly and FormatMoney writes out digit by digit. Larger amounts are
// refused where they are typed or imported.
inline constexpr double kAmountLimit = 1e13;

// True when value is a finite number of magnitude below kAmountLimit.
bool WithinAmountLimit(double value);

// The limit as amounts are shown (FormatMoney).
QString AmountLimitText();

// The message refusing an amount or rate beyond the limit, naming the limit (key "amountlimit").
QString AmountLimitMessage();

// Where a number's text has its decimal separator: the first ",", or when there is none the
// first "."; -1 when it has neither.
qsizetype DecimalSeparatorAt(const QString& text);

// A number's text cut (not rounded) after at most two digits following its decimal separator
// (DecimalSeparatorAt): "33,3333" gives "33,33", "12,5" and "7" stay as they are.
QString CutAfterTwoDecimals(const QString& text);

// Shortest general decimal text of a value (at most 15 significant digits) with the decimal
// separator, as amounts are written into text fields.
QString NumberText(double value);

// The same digits as NumberText, never with an exponent (which NumberText writes below 10^-4
// and from 10^15 on), for texts whose digits are grouped: a sum of many amounts may pass 10^15.
QString PlainNumberText(double value);

// Text of a file we read: UTF-8 when the bytes are valid UTF-8 (a leading byte-order mark is
// dropped), Windows-1251 otherwise, so that older files keep their Cyrillic text.
QString DecodeText(const QByteArray& bytes);

// Windows-1251, one byte per character: the bytes of a text, where a character that
// Windows-1251 lacks becomes "?" (lacking, when given, receives each such character in turn),
// and the text of such bytes.
QByteArray EncodeCp1251(QStringView text, QString* lacking = nullptr);
QString DecodeCp1251(QByteArrayView bytes);

} // namespace zovi
