// The virtual printer as a device takes any bytes a program sends, with the
// operator changing its state in between. Real-time requests put between
// commands are answered, each in its form and in order; the same bytes inside
// any command's data (an image, a barcode, a QR code, a macro's name, skipped
// graphics) are data and answered by nothing. However the stream is split, the
// answers, the state and the paper are the same, the receive buffer never
// holds more than 4 KiB, and once the printer is back online nothing waits.
#include "printer/interpreter/ReceiptInterpreter.h"
#include "printer/device/VirtualPrinter.h"
#include "OperatorWords.h"

#include <QCoreApplication>

#include <cstdlib>

namespace {
// As in the simulator without --receipts: nothing is drawn, no display is needed.
QCoreApplication *application = nullptr;

// A piece of the stream, and what it must be answered with.
struct Piece
{
    QByteArray bytes;
    QString action;  // or an operator's line instead of bytes
    int replyBytes = 0; // 1 for DLE EOT 1-4, 2 for FS ENQ with a known condition
};

const char *const kActions[] = {"cover open", "cover close", "paper out", "paper load", "paper near-end", "drawer 1 open",
                                "drawer 2 close", "feed", "error recoverable", "error autocutter", "error unrecoverable",
                                "error auto", "recover", "state"};

QByteArray word(int value)
{
    return QByteArray(1, char(value & 0xFF)) + char(value >> 8);
}

// Bytes for command data, as the fuzzer gives them. No ESC: the macro
// commands (ESC g, ESC US), which the printer takes wherever they come,
// would record and play what the oracle does not follow; no 17, so that no
// macro list query (05 17) ends in the data.
QByteArray dataBytes(const uint8_t *&p, const uint8_t *end, int most)
{
    QByteArray data;
    while (p < end && data.size() < most) {
        char c = char(*p++);
        if (c == 0x1B)
            c = 0x1A;
        if (c == 0x17)
            c = 0x18;
        data.append(c);
    }
    return data;
}

// Real-time requests in data, some of the time: what the oracle is about.
QByteArray salted(QByteArray data, uint8_t salt)
{
    if (salt & 1)
        data.insert(data.size() / 2, QByteArray::fromHex("100401"));
    if (salt & 2)
        data.append(QByteArray::fromHex("1C0508"));
    return data;
}

QList<Piece> pieces(const uint8_t *p, const uint8_t *end)
{
    QList<Piece> list;
    while (p + 2 <= end) {
        const uint8_t kind = *p++;
        const uint8_t salt = *p++;
        Piece piece;
        switch (kind % 12) {
        case 0: { // a real-time request between commands
            const uint8_t n = salt % 12;
            const int which = (salt >> 4) % 4;
            if (which == 0) {
                piece.bytes = QByteArray::fromHex("1004") + char(n);
                piece.replyBytes = (n >= 1 && n <= 4) ? 1 : 0;
            } else if (which == 1) {
                piece.bytes = QByteArray::fromHex("1C05") + char(n);
                piece.replyBytes = (n <= 4 && n >= 1) || (n >= 8 && n <= 11) ? 2 : 0;
            } else if (which == 2) {
                piece.bytes = QByteArray::fromHex("1005") + char(1 + n % 2);
            } else {
                piece.bytes = QByteArray::fromHex("101401") + char(n % 3) + char(5);
            }
            break;
        }
        case 1: { // raster image
            const QByteArray data = salted(dataBytes(p, end, 24), salt);
            piece.bytes = QByteArray::fromHex("1D7630") + char(salt & 3) + word(int(data.size())) + word(1) + data;
            break;
        }
        case 2: { // 24-dot column image
            QByteArray data = salted(dataBytes(p, end, 24), salt);
            data.append(QByteArray((3 - data.size() % 3) % 3, '\x55'));
            piece.bytes = QByteArray::fromHex("1B2A21") + word(int(data.size() / 3)) + data;
            break;
        }
        case 3: { // barcode, data ended by 00
            const QByteArray data = salted(dataBytes(p, end, 20), salt).replace('\0', '1');
            piece.bytes = QByteArray::fromHex("1D6B04") + data + '\0';
            break;
        }
        case 4: { // counted barcode
            const QByteArray data = salted(dataBytes(p, end, 20), salt);
            piece.bytes = QByteArray::fromHex("1D6B49") + char(data.size()) + data;
            break;
        }
        case 5: { // QR code data, then printed
            const QByteArray data = "1P0" + salted(dataBytes(p, end, 30), salt);
            piece.bytes = QByteArray::fromHex("1D286B") + word(int(data.size())) + data + QByteArray::fromHex("1D286B0300315130");
            break;
        }
        case 6: { // skipped graphics
            QByteArray data = salted(dataBytes(p, end, 30), salt);
            // Its capacity, room and key code queries (m 30, fn 30/33/40) are answered.
            if (data.size() >= 2 && data[0] == '0' && QByteArray("\x00\x03\x30\x33\x40", 5).contains(data[1]))
                data[1] = '1';
            piece.bytes = QByteArray::fromHex("1D284C") + word(int(data.size())) + data;
            break;
        }
        case 7: { // a macro's name: played, if there were one
            const QByteArray name = salted(dataBytes(p, end, 8), salt).replace('\0', 'n');
            piece.bytes = QByteArray::fromHex("1B1F72") + name + '\0';
            break;
        }
        case 8: { // text and line feeds
            QByteArray text = dataBytes(p, end, 40);
            for (char &c : text) {
                if (c == 0x10 || c == 0x1C || c == 0x1D)
                    c = (c == 0x1D) ? '\n' : 'x';
            }
            piece.bytes = text;
            break;
        }
        case 9: // a mode or a cut
            piece.bytes = (salt & 1) ? QByteArray::fromHex("1D5642") + char(salt) : QByteArray::fromHex("1B21") + char(salt);
            break;
        case 10: // the printer reset
            piece.bytes = QByteArray::fromHex("1B40");
            break;
        default:
            piece.action = QString::fromLatin1(kActions[salt % std::size(kActions)]);
            break;
        }
        list.append(piece);
    }
    return list;
}

struct Run
{
    ReceiptInterpreter paper;
    VirtualPrinter printer{paper};
    QByteArray replies;
    Run()
    {
        paper.setRetainLimit(2);
        printer.macros().setIdentity(QByteArray()); // no identity query in the data answers
        printer.setRoll(2000, 100);
        QObject::connect(&printer, &VirtualPrinter::reply, [this](const QByteArray &bytes) { replies += bytes; });
    }
    // Back online, whatever held it.
    void restore()
    {
        QString said;
        for (const char *line : {"cover close", "paper load", "recover"})
            OperatorWords::act(printer, QString::fromLatin1(line), &said);
    }
    void send(const QByteArray &bytes, int chunk)
    {
        qsizetype at = 0;
        while (at < bytes.size()) {
            const qsizetype took = printer.receive(bytes.mid(at, chunk));
            if (printer.state().waiting > VirtualPrinter::kBufferSize)
                std::abort();
            if (took == 0)
                restore(); // a full buffer: the operator sees to the printer
            at += took;
        }
    }
};
} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    application = new QCoreApplication(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const int chunk = 1 + data[0] % 13;
    const QList<Piece> list = pieces(data + 1, data + size);

    Run whole;
    Run split;
    int expected = 0;
    for (const Piece &piece : list) {
        if (!piece.action.isEmpty()) {
            QString said;
            if (!OperatorWords::act(whole.printer, piece.action, &said) || !OperatorWords::act(split.printer, piece.action, &said))
                std::abort();
            continue;
        }
        const qsizetype before = whole.replies.size();
        whole.send(piece.bytes, int(piece.bytes.size()));
        split.send(piece.bytes, chunk);
        // A piece is answered by its own request only, in the request's form.
        const QByteArray answer = whole.replies.mid(before);
        if (answer.size() != piece.replyBytes)
            std::abort();
        if (piece.replyBytes == 1 && (quint8(answer[0]) & 0x93) != 0x12)
            std::abort();
        if (piece.replyBytes == 2 && ((answer[0] != 0x06 && answer[0] != 0x15) || answer[1] != piece.bytes[2]))
            std::abort();
        expected += piece.replyBytes;
    }
    if (whole.replies != split.replies || whole.replies.size() != expected
        || whole.printer.stateText() != split.printer.stateText() || whole.paper.offset() != split.paper.offset())
        std::abort();
    // What waits may need more than one fresh roll; each prints one at least.
    for (int roll = 0; roll < 1000 && (whole.printer.state().waiting > 0 || !whole.printer.state().online()); ++roll)
        whole.restore();
    if (whole.printer.state().waiting != 0 || !whole.printer.state().online())
        std::abort();
    return 0;
}
