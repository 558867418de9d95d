#include "keytime/ZEVKeyStep.h"

#include "keytime/ZEVKeyDocument.h"
#include "keytime/ZEVKeyUndo.h"

namespace tallomer {

ZEVKeyStep::ZEVKeyStep()
    : tableSummary_(QStringLiteral("New Step")), body_(QStringLiteral("No comment")), tooltip_(QString(""))
{
}

ZEVKeyStep::ZEVKeyStep(std::optional<QString> tableSummary, std::optional<QString> body,
                       std::optional<QString> tooltip, std::optional<ZEVSpaceDico> spaceDico)
    : tableSummary_(std::move(tableSummary)), body_(std::move(body)), tooltip_(std::move(tooltip)),
      spaceDico_(std::move(spaceDico))
{
}

std::shared_ptr<ZEVKeyStep> ZEVKeyStep::fromText(const QString& text)
{
    auto step = std::make_shared<ZEVKeyStep>();
    step->body_ = text;
    return step;
}

QString ZEVKeyStep::description() const { return body_ ? *body_ : QStringLiteral("No body"); }

template <typename T>
void ZEVKeyStep::set(std::optional<T> ZEVKeyStep::*field, std::optional<T> value, const char* what)
{
    if (this->*field == value)
        return;
    ZEVKeyDocument* doc = document_;
    if (!doc) {
        this->*field = std::move(value);
        return;
    }
    // The entry keeps the step alive for as long as the stack may replay it.
    std::shared_ptr<ZEVKeyStep> keep = weak_from_this().lock();
    ZEVKeyStep* self = this;
    auto apply = [keep, self, field](const std::optional<T>& v) {
        self->*field = v;
        if (self->document_)
            self->document_->stepDidChange(self);
    };
    const std::optional<T> old = this->*field;
    doc->undoStack().push(new ZEVKeyUndoCommand(QString::fromLatin1(what), [apply, value] { apply(value); },
                                                [apply, old] { apply(old); }));
}

void ZEVKeyStep::setTableSummary(std::optional<QString> value)
{
    set(&ZEVKeyStep::tableSummary_, std::move(value), "Title");
}
void ZEVKeyStep::setBody(std::optional<QString> value) { set(&ZEVKeyStep::body_, std::move(value), "Comment"); }
void ZEVKeyStep::setTooltip(std::optional<QString> value)
{
    set(&ZEVKeyStep::tooltip_, std::move(value), "Tooltip");
}
void ZEVKeyStep::setSpaceDico(std::optional<ZEVSpaceDico> value)
{
    set(&ZEVKeyStep::spaceDico_, std::move(value), "Step");
}

} // namespace tallomer
