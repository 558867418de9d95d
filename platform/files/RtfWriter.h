#pragma once
// A small RTF writer for pasted text: paragraphs, bold and italic runs, any Unicode text.
// Readers without Unicode support see "?" for characters outside ASCII (\uc1 fallbacks).

#include <QByteArray>
#include <QList>
#include <QString>

namespace tallomer {

struct RtfRun {
    QString text;
    bool bold = false;
    bool italic = false;
};

// Line breaks ("\n", "\r\n", "\r", U+2029) end paragraphs; U+2028 is a line break inside one.
QByteArray rtfDocument(const QList<RtfRun>& runs);
QByteArray rtfDocument(const QString& plainText);

} // namespace tallomer
