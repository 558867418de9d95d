#pragma once
// One step of a KeyTime document: a title for the step table, a comment, a tooltip and the
// captured state of the time cursors and of the ruler (the space dictionary).
//
// A step belongs to at most one document at a time; while it does, every change of a field goes
// through that document's undo stack, whatever way the step came in (made in the table, read
// from a file, dropped or pasted), so that each edit can be undone and marks the document
// modified.

#include <QString>
#include <QVariantMap>

#include <memory>
#include <optional>

namespace tallomer {

class ZEVKeyDocument;

// Keys: "Time" (a word), "CursorPos", "CursorIn", "CursorOut", "RulerIn", "RulerOut" (finite
// seconds) and "Animation" (a flag).
using ZEVSpaceDico = QVariantMap;

class ZEVKeyStep : public std::enable_shared_from_this<ZEVKeyStep> {
public:
    // Title "New Step", comment "No comment", empty tooltip, no dictionary.
    ZEVKeyStep();
    // A step read from a file or a pasteboard: absent fields stay absent.
    ZEVKeyStep(std::optional<QString> tableSummary, std::optional<QString> body, std::optional<QString> tooltip,
               std::optional<ZEVSpaceDico> spaceDico);
    // A step made from plain text: the defaults, with the text as its comment.
    static std::shared_ptr<ZEVKeyStep> fromText(const QString& text);

    const std::optional<QString>& tableSummary() const { return tableSummary_; }
    const std::optional<QString>& body() const { return body_; }
    const std::optional<QString>& tooltip() const { return tooltip_; }
    const std::optional<ZEVSpaceDico>& spaceDico() const { return spaceDico_; }

    // Setting the value held does nothing; otherwise, in a document, the change is one entry of
    // its undo stack.
    void setTableSummary(std::optional<QString> value);
    void setBody(std::optional<QString> value);
    void setTooltip(std::optional<QString> value);
    void setSpaceDico(std::optional<ZEVSpaceDico> value);

    // Its plain-text form: the comment, or "No body".
    QString description() const;

    ZEVKeyDocument* document() const { return document_; }
    void setDocument(ZEVKeyDocument* document) { document_ = document; }

private:
    template <typename T>
    void set(std::optional<T> ZEVKeyStep::*field, std::optional<T> value, const char* what);

    std::optional<QString> tableSummary_;
    std::optional<QString> body_;
    std::optional<QString> tooltip_;
    std::optional<ZEVSpaceDico> spaceDico_;
    ZEVKeyDocument* document_ = nullptr; // not owned
};

using ZEVKeyStepPtr = std::shared_ptr<ZEVKeyStep>;

} // namespace tallomer
