#include "printer/characters/Characters.h"

#include "printer/characters/CodePages.h"

#include <array>
#include <memory>

#include <iconv.h>

namespace {
// The international character sets as the public command reference
// tabulates them, for 23 24 40 5B 5C 5D 5E 60 7B 7C 7D 7E. Arabia keeps the
// ASCII characters there.
constexpr quint8 kPositions[12] = {0x23, 0x24, 0x40, 0x5B, 0x5C, 0x5D, 0x5E, 0x60, 0x7B, 0x7C, 0x7D, 0x7E};
struct InternationalSet
{
    const char *name;
    char16_t characters[12];
};
const InternationalSet kSets[Characters::kInternationalSets] = {
    {"USA", {u'#', u'$', u'@', u'[', u'\\', u']', u'^', u'`', u'{', u'|', u'}', u'~'}},
    {"France", {u'#', u'$', u'à', u'°', u'ç', u'§', u'^', u'`', u'é', u'ù', u'è', u'¨'}},
    {"Germany", {u'#', u'$', u'§', u'Ä', u'Ö', u'Ü', u'^', u'`', u'ä', u'ö', u'ü', u'ß'}},
    {"UK", {u'£', u'$', u'@', u'[', u'\\', u']', u'^', u'`', u'{', u'|', u'}', u'~'}},
    {"Denmark I", {u'#', u'$', u'@', u'Æ', u'Ø', u'Å', u'^', u'`', u'æ', u'ø', u'å', u'~'}},
    {"Sweden", {u'#', u'¤', u'É', u'Ä', u'Ö', u'Å', u'Ü', u'é', u'ä', u'ö', u'å', u'ü'}},
    {"Italy", {u'#', u'$', u'@', u'°', u'\\', u'é', u'^', u'ù', u'à', u'ò', u'è', u'ì'}},
    {"Spain I", {u'₧', u'$', u'@', u'¡', u'Ñ', u'¿', u'^', u'`', u'¨', u'ñ', u'}', u'~'}},
    {"Japan", {u'#', u'$', u'@', u'[', u'¥', u']', u'^', u'`', u'{', u'|', u'}', u'~'}},
    {"Norway", {u'#', u'¤', u'É', u'Æ', u'Ø', u'Å', u'Ü', u'é', u'æ', u'ø', u'å', u'ü'}},
    {"Denmark II", {u'#', u'$', u'É', u'Æ', u'Ø', u'Å', u'Ü', u'é', u'æ', u'ø', u'å', u'ü'}},
    {"Spain II", {u'#', u'$', u'á', u'¡', u'Ñ', u'¿', u'é', u'`', u'í', u'ñ', u'ó', u'ú'}},
    {"Latin America", {u'#', u'$', u'á', u'¡', u'Ñ', u'¿', u'é', u'ü', u'í', u'ñ', u'ó', u'ú'}},
    {"Korea", {u'#', u'$', u'@', u'[', u'₩', u']', u'^', u'`', u'{', u'|', u'}', u'~'}},
    {"Slovenia/Croatia", {u'#', u'$', u'Ž', u'Š', u'Đ', u'Ć', u'Č', u'ž', u'š', u'đ', u'ć', u'č'}},
    {"China", {u'#', u'¥', u'@', u'[', u'\\', u']', u'^', u'`', u'{', u'|', u'}', u'~'}},
    {"Vietnam", {u'#', u'₫', u'@', u'[', u'\\', u']', u'^', u'`', u'{', u'|', u'}', u'~'}},
    {"Arabia", {u'#', u'$', u'@', u'[', u'\\', u']', u'^', u'`', u'{', u'|', u'}', u'~'}},
};

// For each byte 20-7E, which of the twelve positions it is (or -1).
constexpr std::array<qint8, 128> positionIndex()
{
    std::array<qint8, 128> index {};
    for (auto &i : index)
        i = -1;
    for (int i = 0; i < 12; ++i)
        index[kPositions[i]] = qint8(i);
    return index;
}
constexpr std::array<qint8, 128> kPositionIndex = positionIndex();

struct Encoding
{
    TwoByteCode code;
    const char *name;
    const char *key;
    const char *converter; // glibc iconv; the Windows supersets read what libraries write
};
const Encoding kEncodings[] = {
    {TwoByteCode::Gb18030, "GB 18030", "GB18030", "GB18030"},
    {TwoByteCode::ShiftJis, "Shift JIS", "Shift_JIS", "CP932"},
    {TwoByteCode::Big5, "Big5", "Big5", "CP950"},
    {TwoByteCode::EucKr, "EUC-KR", "EUC-KR", "CP949"},
    // JIS X 0208 in 21-7E pairs: the same characters as EUC-JP with the high bits set.
    {TwoByteCode::Jis, "JIS", "JIS", "EUC-JP"},
};

const Encoding *findEncoding(TwoByteCode code)
{
    for (const Encoding &e : kEncodings) {
        if (e.code == code)
            return &e;
    }
    return nullptr;
}

// One encoding's characters, a row of 256 trail bytes per lead byte, each
// row converted at its first use.
class PairTable
{
public:
    explicit PairTable(const char *converter)
        : m_cd(iconv_open("UTF-32LE", converter))
    {
    }
    ~PairTable()
    {
        if (m_cd != iconv_t(-1))
            iconv_close(m_cd);
    }
    PairTable(const PairTable &) = delete;
    PairTable &operator=(const PairTable &) = delete;

    char16_t at(quint8 lead, quint8 trail, bool jis)
    {
        std::unique_ptr<Row> &row = m_rows[lead];
        if (!row)
            row = convertRow(lead, jis);
        return (*row)[trail];
    }

private:
    using Row = std::array<char16_t, 256>;

    std::unique_ptr<Row> convertRow(quint8 lead, bool jis)
    {
        auto row = std::make_unique<Row>();
        row->fill(0);
        if (m_cd == iconv_t(-1))
            return row;
        for (int trail = 0x20; trail <= 0xFF; ++trail) {
            if (jis && (trail < 0x21 || trail > 0x7E))
                continue;
            char in[2] = {char(jis ? lead | 0x80 : lead), char(jis ? trail | 0x80 : trail)};
            char32_t out[2] = {0, 0};
            char *inPtr = in;
            auto *outPtr = reinterpret_cast<char *>(out);
            size_t inLeft = 2;
            size_t outLeft = sizeof out;
            iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
            // One character from both bytes: a pair the encoding reads as two
            // characters (a lead byte the table lacks) is none.
            if (iconv(m_cd, &inPtr, &inLeft, &outPtr, &outLeft) == size_t(-1) || inLeft != 0 || outLeft != sizeof(char32_t))
                continue;
            const char32_t c = out[0];
            if (c >= 0x20 && c <= 0xFFFF && !(c >= 0xE000 && c <= 0xF8FF) && !(c >= 0x7F && c <= 0x9F))
                (*row)[trail] = char16_t(c);
        }
        return row;
    }

    iconv_t m_cd;
    std::array<std::unique_ptr<Row>, 256> m_rows;
};

PairTable *pairTable(TwoByteCode code)
{
    static std::array<std::unique_ptr<PairTable>, 6> tables;
    const Encoding *e = findEncoding(code);
    if (!e)
        return nullptr;
    std::unique_ptr<PairTable> &table = tables[size_t(code)];
    if (!table)
        table = std::make_unique<PairTable>(e->converter);
    return table.get();
}
} // namespace

namespace Characters {

QString internationalName(int set)
{
    return set >= 0 && set < kInternationalSets ? QString::fromLatin1(kSets[set].name) : QString();
}

char16_t character(int page, int international, quint8 byte)
{
    if (byte < 0x80) {
        const int position = kPositionIndex[byte];
        if (position >= 0 && international > 0 && international < kInternationalSets)
            return kSets[international].characters[position];
        return byte;
    }
    return CodePages::character(page, byte);
}

QString encodingName(TwoByteCode code)
{
    const Encoding *e = findEncoding(code);
    return e ? QString::fromLatin1(e->name) : QString();
}

QString encodingKey(TwoByteCode code)
{
    const Encoding *e = findEncoding(code);
    return e ? QString::fromLatin1(e->key) : QString();
}

std::optional<TwoByteCode> encodingFromName(const QString &name)
{
    QString plain = name.toLower();
    plain.remove(QLatin1Char('-')).remove(QLatin1Char('_')).remove(QLatin1Char(' '));
    if (plain == QLatin1String("gb18030"))
        return TwoByteCode::Gb18030;
    if (plain == QLatin1String("shiftjis") || plain == QLatin1String("sjis"))
        return TwoByteCode::ShiftJis;
    if (plain == QLatin1String("big5"))
        return TwoByteCode::Big5;
    if (plain == QLatin1String("euckr"))
        return TwoByteCode::EucKr;
    return std::nullopt;
}

bool isLead(TwoByteCode code, quint8 byte)
{
    switch (code) {
    case TwoByteCode::None:
        return false;
    case TwoByteCode::ShiftJis:
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case TwoByteCode::Jis:
        return byte >= 0x21 && byte <= 0x7E;
    default:
        return byte >= 0x81 && byte <= 0xFE;
    }
}

char16_t pair(TwoByteCode code, quint8 lead, quint8 trail)
{
    if (!isLead(code, lead))
        return 0;
    PairTable *table = pairTable(code);
    return table ? table->at(lead, trail, code == TwoByteCode::Jis) : 0;
}

char16_t cell(const TextRun &run, int index)
{
    if (run.twoByte == TwoByteCode::None)
        return character(run.codePage, run.international, quint8(run.text[index]));
    const char16_t c = pair(run.twoByte, quint8(run.text[2 * index]), quint8(run.text[2 * index + 1]));
    return c ? c : kReplacement;
}

QString text(const QByteArray &bytes, int page, int international, TwoByteCode code, bool cut)
{
    QString result;
    result.reserve(bytes.size());
    const auto *p = reinterpret_cast<const quint8 *>(bytes.constData());
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size; ++i) {
        const quint8 byte = p[i];
        if (byte < 0x20 || byte == 0x7F) {
            result += QChar(0xB7);
        } else if (isLead(code, byte)) {
            // The trail is any byte but a control: a control ends the pair unfinished.
            if (i + 1 < size && p[i + 1] >= 0x20 && p[i + 1] != 0x7F) {
                const char16_t c = pair(code, byte, p[i + 1]);
                result += QChar(c ? c : kReplacement);
                ++i;
            } else if (i + 1 < size || !cut) {
                result += QChar(kReplacement);
            }
        } else {
            result += QChar(character(page, international, byte));
        }
    }
    return result;
}

} // namespace Characters
