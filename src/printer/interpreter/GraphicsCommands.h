// Graphics: GS ( L and GS 8 L (an image in the print buffer, printed by
// fn 32; NV graphics defined under key codes, printed, deleted, listed) and
// the older NV bit images, FS q and FS p. Owns the NV graphics, the graphic
// in the print buffer and the one on its way in. Not part of the
// interpreter's interface.
#pragma once

#include "printer/interpreter/NvGraphics.h"
#include "printer/interpreter/PaperLayout.h"

class GraphicsCommands
{
public:
    GraphicsCommands(InterpreterContext &context, PaperLayout &layout)
        : m_context(context)
        , m_layout(layout)
    {
    }

    NvGraphics &nv() { return m_nv; }
    const NvGraphics &nv() const { return m_nv; }
    // GS ( L fn 30, 33 and 40: the reply from what the NV graphics hold now.
    QByteArray reply(const QByteArray &command) const;

    // FS q with no images, FS p; false when it is neither.
    bool runCommand(quint8 introducer, quint8 c);
    // GS ( L, GS 8 L, FS q with images: the data that follows is theirs.
    bool begin(quint8 introducer, quint8 c);
    void byte(quint8 byte);
    void finish();
    // The print buffer's graphic dropped, as ESC @ does.
    void initialize() { m_buffered = QImage(); }
    // A graphic half read is forgotten (power on).
    void drop()
    {
        m_input = GraphicsInput();
        m_bitImagesStart = -1;
    }

private:
    void beginImage();
    void print(const QImage &image, int scaleX, int scaleY, const ByteRange &source);

    InterpreterContext &m_context;
    PaperLayout &m_layout;
    GraphicsInput m_input;
    QImage m_buffered; // GS ( L fn 70 and 71, printed by fn 32
    NvGraphics m_nv;
    qint64 m_bitImagesStart = -1; // the FS q whose images are being defined
};
