#include "widgets/TextEntry.h"

#include <QAbstractSpinBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace tallomer {

bool isTextEntry(const QObject* object)
{
    return qobject_cast<const QLineEdit*>(object) || qobject_cast<const QTextEdit*>(object) ||
           qobject_cast<const QPlainTextEdit*>(object) || qobject_cast<const QAbstractSpinBox*>(object);
}

} // namespace tallomer
