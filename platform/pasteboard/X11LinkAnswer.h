#pragma once
// On X11, Qt answers another program's request for text/x-moz-url with the first line of
// text/uri-list, whatever the data holds under text/x-moz-url itself: a web link whose location
// file leads the URI list would reach a browser as that file, without its title. Installed once
// on the xcb platform, this answers those requests, for the clipboard and for a drag, from the
// bytes the data holds under text/x-moz-url; every other request stays Qt's.

class QMimeData;

namespace tallomer {

// Does nothing on another platform, or when already installed.
void installX11LinkAnswer();

// Data that carries links of its own, offered to the answer above while it lives: the newest one
// not on the clipboard is taken to be the data of a drag under way.
void offerLinksToX11(const QMimeData* data);

} // namespace tallomer
