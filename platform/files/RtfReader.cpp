#include "platform/files/RtfReader.h"

#include <QSet>
#include <QStringDecoder>

#include <algorithm>
#include <cctype>

namespace tallomer {

namespace {

struct State {
    bool bold = false;
    bool italic = false;
    bool skip = false; // inside a destination whose text is not part of the document
    int ucSkip = 1;    // characters standing in for each \u
};

bool isDestination(const QByteArray& word)
{
    static const QSet<QByteArray> skipped{
        "fonttbl", "colortbl", "stylesheet", "info", "pict", "object", "header", "headerl", "headerr", "headerf",
        "footer", "footerl", "footerr", "footerf", "footnote", "fldinst", "listtable", "listoverridetable",
        "rsidtbl", "generator", "xmlnstbl", "themedata", "colorschememapping", "latentstyles", "datastore",
        "mmathPr", "pgdsctbl", "revtbl", "bkmkstart", "bkmkend", "nonshppict", "filetbl", "operator", "author",
        "title", "comment", "keywords", "doccomm", "company", "template", "xe", "tc", "txe", "atnid", "annotation"};
    return skipped.contains(word);
}

class Reader {
public:
    explicit Reader(const QByteArray& data) : data_(data) {}

    QList<RtfRun> read()
    {
        stack_.reserve(kMaxRtfDepth + 1);
        State state;
        while (pos_ < data_.size() && text_ < kMaxRtfTextChars) {
            const char c = data_.at(pos_);
            if (c == '{') {
                ++pos_;
                if (stack_.size() >= kMaxRtfDepth)
                    break;
                stack_.push_back(state);
            } else if (c == '}') {
                ++pos_;
                if (stack_.isEmpty())
                    break; // the document's own group closed
                state = stack_.takeLast();
            } else if (c == '\\') {
                ++pos_;
                control(state);
            } else {
                ++pos_;
                if (c != '\r' && c != '\n' && !state.skip)
                    byte(state, static_cast<unsigned char>(c));
            }
        }
        flush();
        return runs_;
    }

private:
    void append(const State& s, const QString& text)
    {
        if (s.skip || text.isEmpty())
            return;
        if (pendingSkip_ > 0) { // characters that stand in for a \u just read
            const qsizetype n = std::min<qsizetype>(pendingSkip_, text.size());
            pendingSkip_ -= int(n);
            if (n == text.size())
                return;
            append(s, text.mid(n));
            return;
        }
        if (current_.bold != s.bold || current_.italic != s.italic) {
            flush();
            current_.bold = s.bold;
            current_.italic = s.italic;
        }
        current_.text += text;
        text_ += text.size();
    }

    void flush()
    {
        if (!current_.text.isEmpty())
            runs_.append(current_);
        current_.text.clear();
    }

    void byte(const State& s, unsigned char b)
    {
        if (b < 0x80) {
            append(s, QString(QChar(b)));
            return;
        }
        const QByteArray one(1, char(b));
        append(s, ansi_.isValid() ? ansi_.decode(one) : QString::fromLatin1(one));
    }

    void control(State& s)
    {
        if (pos_ >= data_.size())
            return;
        const char c = data_.at(pos_);
        if (!std::isalpha(static_cast<unsigned char>(c))) {
            ++pos_;
            switch (c) {
            case '\\':
            case '{':
            case '}':
                append(s, QString(QChar(c)));
                break;
            case '~':
                append(s, QString(QChar(0x00A0)));
                break;
            case '_':
                append(s, QString(QChar(0x2011)));
                break;
            case '\n':
            case '\r':
                append(s, QStringLiteral("\n"));
                break;
            case '*':
                s.skip = true;
                break;
            case '\'': {
                bool ok = false;
                const int v = pos_ + 2 <= data_.size() ? data_.mid(pos_, 2).toInt(&ok, 16) : 0;
                if (ok) {
                    pos_ += 2;
                    if (!s.skip)
                        byte(s, static_cast<unsigned char>(v));
                }
                break;
            }
            default:
                break;
            }
            return;
        }
        const qsizetype start = pos_;
        while (pos_ < data_.size() && pos_ - start < 32 && std::isalpha(static_cast<unsigned char>(data_.at(pos_))))
            ++pos_;
        const QByteArray word = data_.mid(start, pos_ - start);
        bool hasParam = false;
        long param = 0;
        const qsizetype numberStart = pos_;
        if (pos_ < data_.size() && data_.at(pos_) == '-')
            ++pos_;
        auto digit = [this] { return std::isdigit(static_cast<unsigned char>(data_.at(pos_))) != 0; };
        while (pos_ < data_.size() && pos_ - numberStart < 11 && digit())
            ++pos_;
        if (pos_ > numberStart && !(pos_ - numberStart == 1 && data_.at(numberStart) == '-')) {
            param = data_.mid(numberStart, pos_ - numberStart).toLong();
            hasParam = true;
        }
        if (pos_ < data_.size() && data_.at(pos_) == ' ')
            ++pos_;
        keyword(s, word, hasParam, param);
    }

    void keyword(State& s, const QByteArray& w, bool hasParam, long param)
    {
        if (isDestination(w)) {
            s.skip = true;
        } else if (w == "b") {
            s.bold = !hasParam || param != 0;
        } else if (w == "i") {
            s.italic = !hasParam || param != 0;
        } else if (w == "plain") {
            s.bold = s.italic = false;
        } else if (w == "par" || w == "sect" || w == "row") {
            append(s, QStringLiteral("\n"));
        } else if (w == "line") {
            append(s, QString(QChar(0x2028)));
        } else if (w == "tab" || w == "cell") {
            append(s, QStringLiteral("\t"));
        } else if (w == "uc" && hasParam) {
            s.ucSkip = int(std::clamp<long>(param, 0, 8));
        } else if (w == "u" && hasParam) {
            const auto unit = static_cast<char16_t>(param < 0 ? param + 65536 : param);
            append(s, QString(QChar(unit)));
            pendingSkip_ = s.skip ? 0 : s.ucSkip;
        } else if (w == "emdash") {
            append(s, QString(QChar(0x2014)));
        } else if (w == "endash") {
            append(s, QString(QChar(0x2013)));
        } else if (w == "bullet") {
            append(s, QString(QChar(0x2022)));
        } else if (w == "lquote") {
            append(s, QString(QChar(0x2018)));
        } else if (w == "rquote") {
            append(s, QString(QChar(0x2019)));
        } else if (w == "ldblquote") {
            append(s, QString(QChar(0x201C)));
        } else if (w == "rdblquote") {
            append(s, QString(QChar(0x201D)));
        } else if (w == "bin" && hasParam) {
            // Binary data: its bytes are not text and may contain anything.
            pos_ += std::clamp<qsizetype>(param, 0, data_.size() - pos_);
        }
    }

    const QByteArray& data_;
    qsizetype pos_ = 0;
    QList<State> stack_;
    QList<RtfRun> runs_;
    RtfRun current_;
    qsizetype text_ = 0;
    int pendingSkip_ = 0;
    QStringDecoder ansi_{"windows-1252", QStringConverter::Flag::Stateless};
};

} // namespace

std::optional<QList<RtfRun>> readRtf(const QByteArray& data)
{
    if (data.size() > kMaxRtfBytes)
        return std::nullopt;
    const QByteArray head = data.left(64).trimmed();
    if (!head.startsWith("{\\rtf"))
        return std::nullopt;
    // Past the document's own opening brace: its group is the document.
    const qsizetype open = data.indexOf('{');
    return Reader(data.mid(open + 1)).read();
}

} // namespace tallomer
