// Image input: a raster image (GS v 0) on bands of its own or a column image
// (ESC *) on the line being filled, taken a byte at a time, keeping only the
// dots the printable width and the receipt's length let through. Not part of
// the interpreter's interface.
#pragma once

#include "printer/interpreter/PaperLayout.h"

#include <QImage>

class ImageInput
{
public:
    ImageInput(InterpreterContext &context, PaperLayout &layout)
        : m_context(context)
        , m_layout(layout)
    {
    }

    // ESC * or GS v 0 with its parameters: the data that follows is the
    // image's. False when it is neither, or its data is read past.
    bool begin(quint8 introducer, quint8 c);
    void rasterByte(quint8 byte);
    // The raster rows so far go on paper (the image's end, or a receipt's).
    void commitRasterPiece();
    // The stream ended inside a raster image: what came of it stays off the
    // paper, as a printer prints an image once its data is in (the rows stay,
    // should more come). The words say so.
    QString rasterCutShort() const;
    void columnByte(quint8 byte);
    void finishColumnImage();
    // An image half read is forgotten (power on).
    void drop() { m_image = Image(); }

private:
    // A raster or column image on its way in.
    struct Image
    {
        int bytesPerUnit = 0; // per row (raster) or per column (column image)
        int units = 0;        // rows or columns
        int unit = 0;         // the one being received
        int byteInUnit = 0;
        int scaleX = 1;
        int scaleY = 1;
        int dotWidth = 0;     // what the printable width lets through
        int sentWidth = 0;    // when that is less than the image: its width as sent
        int x = 0;            // absolute (raster) or from the line's left (column)
        int pieceRows = 0;    // source rows in the raster piece being filled
        int pieceRow = 0;
        QImage dots;
        QByteArray row;       // the kept bytes of the raster row being received
    };

    void beginRaster(int mode, int bytesPerRow, int rows);
    void beginColumnImage(int mode, int columns);
    // An image wider than the room it has: said once, kept for the view and the receipt's text.
    void noteCut(qint64 sentWidth);

    InterpreterContext &m_context;
    PaperLayout &m_layout;
    Image m_image;
};
