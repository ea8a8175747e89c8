// Any command text: the conversion ends, never yields more than its first form
// plus 255 characters' worth of forms, and every byte has an echo.
#include "commands/Notation.h"
#include "link/Operator.h"

#include <cstdint>
#include <cstdlib>

namespace {

class CountingOperator final : public Operator {
public:
    int messages = 0;
    Msg::Answer message(const QString &, Msg::Buttons, Msg::Icon, const QString &) override
    {
        ++messages;
        return Msg::Answer::Ok;
    }
    std::optional<FileChoice> openFile(const FileDialogRequest &) override { return std::nullopt; }
};

void check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    CountingOperator op;
    QByteArray rest = text;
    QByteArray out;
    while (!rest.isEmpty()) {
        const qsizetype before = rest.size();
        const Notation::Form form = Notation::ReadForm(rest);
        check(form.consumed >= 1 && form.consumed <= 6 && form.consumed <= before);
        check(!form.outOfRange || form.byte == 0);
        const quint8 b = Notation::NextCommandByte(rest, op);
        check(b == form.byte);
        check(rest.size() <= Notation::kMaxRest);
        check(rest.size() < before || before > Notation::kMaxRest);
        check(!Notation::EchoText(b).isEmpty());
        out += char(b);
        check(out.size() <= 1 + Notation::kMaxRest);
    }
    check(op.messages <= out.size());
    // The number reader on its own, with texts longer than the notation allows.
    const double value = Notation::ReadNumber(text, size % 2 == 0);
    const std::optional<qint16> rounded = Notation::RoundToInt16(value);
    check(!rounded || (*rounded >= -32768 && *rounded <= 32767));
    return 0;
}
