#pragma once

#include "printer/paper/Receipt.h"

#include <QFont>
#include <QImage>
#include <QList>
#include <QRawFont>
#include <QString>

// The faces the receipt's characters come from, each a named font file (so
// every machine draws the same dots): DejaVu Sans Mono for the characters a
// receipt printer's code pages hold, and for what it lacks, in turn, DejaVu
// Sans (Hebrew, Arabic), Tlwg Mono (Thai) and WenQuanYi Zen Hei Mono (CJK,
// which comes first in the cells of two-byte characters). Qt's own font
// fallback stays off: a face that lacks a character is never stood in for
// by whatever the system has.
//
// Needs a QGuiApplication.
class ReceiptFaces
{
public:
    ReceiptFaces();

    // The character drawn in black into a cell of the style's size (the
    // image is transparent, ARGB32 premultiplied); false when no face has it
    // (nor, for a compatibility form such as a half-width katakana, the
    // character it stands for): then the replacement mark is drawn.
    bool draw(QImage &cell, char16_t character, const TextStyle &style) const;

    QString mainFamily() const;
    // What choosing the font set had to say (a face file that is missing), once
    // in the process: empty for every other set of faces.
    QString note() const { return m_note; }
    // The faces in use, by family: those whose font file was not found are left out.
    QStringList families() const;

    // For a program that draws nothing but receipts (marlix-run, the
    // simulator): the fonts this process reads become the faces' own folders,
    // chosen when the first faces are made, instead of the system's whole
    // font list, read and matched against for every size tried. Call it
    // before anything reads fonts. The window does not: its own text needs
    // the system's fonts.
    static void readFaceFilesOnly(const QStringList &files = faceFiles());
    // The font files the faces come from, regular and bold.
    static QStringList faceFiles();
    // The font set limited to the folders of files, when every one of them is
    // there; else the system's font set stays, the faces are looked up in it
    // by name, and the note returned names what is missing.
    static QString useFaceFiles(const QStringList &files);

private:
    struct Face
    {
        QString family;
        QFont base; // before it is fitted to a cell
        char16_t probe = u'M';
        bool cjk = false;
        // Fitted on first use: [font A, B, two-byte A, two-byte B][emphasized].
        mutable QFont fonts[4][2];
        mutable bool fitted[4][2] = {};
        mutable int baseline[4] = {-1, -1, -1, -1};
        QRawFont raw; // which characters it has
    };
    static int kind(const TextStyle &style);
    const QFont &font(const Face &face, int kind, bool bold) const;
    bool ownLine(const Face &face, int kind) const;
    int baseline(const Face &face, int kind) const;
    const Face *faceFor(char16_t character, bool wide) const;
    void drawWith(QImage &cell, const Face &face, char16_t character, const TextStyle &style) const;

    QList<Face> m_faces; // the main face first
    int m_cjk = -1;      // the face two-byte cells try first
    QString m_note;
};
