#include "platform/pasteboard/X11LinkAnswer.h"

#include "platform/pasteboard/PasteboardRead.h"

#include <QAbstractNativeEventFilter>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <deque>

namespace tallomer {

namespace {

// Beyond this the answer would need the incremental protocol: Qt's own answer then stands.
constexpr qsizetype kMaxDirectBytes = 64 * 1024;
constexpr std::size_t kOfferedKept = 8;

std::deque<QPointer<const QMimeData>>& offered()
{
    static std::deque<QPointer<const QMimeData>> list;
    return list;
}

#if QT_CONFIG(xcb)
xcb_atom_t internAtom(xcb_connection_t* c, const char* name)
{
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(c, cookie, nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

class LinkAnswer final : public QAbstractNativeEventFilter {
public:
    explicit LinkAnswer(xcb_connection_t* c)
        : c_(c), mozUrl_(internAtom(c, mime::kMozUrl)), clipboard_(internAtom(c, "CLIPBOARD")),
          xdnd_(internAtom(c, "XdndSelection"))
    {
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
    {
        if (type != "xcb_generic_event_t" || !message)
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7F) != XCB_SELECTION_REQUEST)
            return false;
        const auto* request = reinterpret_cast<const xcb_selection_request_event_t*>(event);
        if (request->target == XCB_ATOM_NONE || request->target != mozUrl_)
            return false;
        const QMimeData* data = dataFor(request->selection);
        const QString format = QString::fromLatin1(mime::kMozUrl);
        if (!data || !data->formats().contains(format))
            return false;
        const QByteArray bytes = data->data(format);
        if (bytes.isEmpty() || bytes.size() > kMaxDirectBytes)
            return false;
        // A client of the old convention names no property: the target stands for it.
        const xcb_atom_t property = request->property != XCB_ATOM_NONE ? request->property : request->target;
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, request->requestor, property, request->target, 8,
                            std::uint32_t(bytes.size()), bytes.constData());
        xcb_selection_notify_event_t notify;
        std::memset(&notify, 0, sizeof notify);
        notify.response_type = XCB_SELECTION_NOTIFY;
        notify.time = request->time;
        notify.requestor = request->requestor;
        notify.selection = request->selection;
        notify.target = request->target;
        notify.property = property;
        xcb_send_event(c_, 0, request->requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&notify));
        xcb_flush(c_);
        return true;
    }

private:
    const QMimeData* dataFor(xcb_atom_t selection) const
    {
        QClipboard* clipboard = QGuiApplication::clipboard();
        if (!clipboard)
            return nullptr;
        const QMimeData* onClipboard =
            clipboard->ownsClipboard() ? clipboard->mimeData(QClipboard::Clipboard) : nullptr;
        if (selection == clipboard_)
            return onClipboard;
        if (selection == XCB_ATOM_PRIMARY)
            return clipboard->ownsSelection() ? clipboard->mimeData(QClipboard::Selection) : nullptr;
        if (selection != xdnd_)
            return nullptr;
        for (auto it = offered().rbegin(); it != offered().rend(); ++it)
            if (*it && it->data() != onClipboard)
                return it->data();
        return nullptr;
    }

    xcb_connection_t* c_;
    xcb_atom_t mozUrl_;
    xcb_atom_t clipboard_;
    xcb_atom_t xdnd_;
};
#endif

} // namespace

void installX11LinkAnswer()
{
#if QT_CONFIG(xcb)
    static bool installed = false;
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (installed || !app)
        return;
    auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return;
    installed = true;
    static LinkAnswer answer(x11->connection());
    app->installNativeEventFilter(&answer);
#endif
}

void offerLinksToX11(const QMimeData* data)
{
    auto& list = offered();
    std::erase_if(list, [](const QPointer<const QMimeData>& p) { return p.isNull(); });
    if (!data)
        return;
    list.emplace_back(data);
    while (list.size() > kOfferedKept)
        list.pop_front();
}

} // namespace tallomer
