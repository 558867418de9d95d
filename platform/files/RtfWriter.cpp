#include "platform/files/RtfWriter.h"

#include <cstdint>

namespace tallomer {

namespace {

void appendEscaped(QByteArray& out, const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        switch (c) {
        case u'\\': out += "\\\\"; continue;
        case u'{': out += "\\{"; continue;
        case u'}': out += "\\}"; continue;
        case u'\t': out += "\\tab "; continue;
        case u'\n': out += "\\par\n"; continue;
        case u'\r':
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            out += "\\par\n";
            continue;
        case 0x2029: out += "\\par\n"; continue;
        case 0x2028: out += "\\line "; continue;
        default: break;
        }
        if (c < 0x20 || c == 0x7f)
            continue; // other control characters have no place in text
        if (c < 0x80) {
            out += char(c);
            continue;
        }
        // \uN takes a signed 16-bit number; characters beyond it go as their two surrogates.
        out += "\\u";
        out += QByteArray::number(int(std::int16_t(c)));
        out += '?';
    }
}

} // namespace

QByteArray rtfDocument(const QList<RtfRun>& runs)
{
    QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n"
                     "{\\fonttbl{\\f0\\fswiss\\fcharset0 Helvetica;}}\n"
                     "\\pard\\f0\\fs24 ";
    for (const RtfRun& run : runs) {
        if (run.text.isEmpty())
            continue;
        if (!run.bold && !run.italic) {
            appendEscaped(out, run.text);
            continue;
        }
        out += '{';
        if (run.bold)
            out += "\\b";
        if (run.italic)
            out += "\\i";
        out += ' ';
        appendEscaped(out, run.text);
        out += '}';
    }
    out += "\n}\n";
    return out;
}

QByteArray rtfDocument(const QString& plainText) { return rtfDocument(QList<RtfRun>{{plainText}}); }

} // namespace tallomer
