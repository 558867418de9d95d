#pragma once
// Whether a widget takes typed text: there the keys (arrows, letters, Return) belong to what is
// typed, not to the window's commands.

class QObject;

namespace tallomer {

bool isTextEntry(const QObject* object);

} // namespace tallomer
