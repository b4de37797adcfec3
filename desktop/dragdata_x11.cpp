#include "dragdata.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDrag>
#include <QGuiApplication>
#include <QList>
#include <QMimeData>
#include <QPointer>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace
{

xcb_atom_t intern(xcb_connection_t* connection, const QByteArray& name)
{
    auto* reply
        = xcb_intern_atom_reply(connection, xcb_intern_atom(connection, false, name.size(), name.data()), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : XCB_NONE;
    free(reply);
    return atom;
}

QByteArray atomname(xcb_connection_t* connection, xcb_atom_t atom)
{
    auto* reply = xcb_get_atom_name_reply(connection, xcb_get_atom_name(connection, atom), nullptr);
    QByteArray name;
    if (reply)
        name = QByteArray(xcb_get_atom_name_name(reply), xcb_get_atom_name_name_length(reply));
    free(reply);
    return name;
}

// Answers the drag selection's requests stamped "current time", the ones a drop target makes
// while the drag moves, from the pane's drag in progress. Requests stamped with a time are
// the drag's own or its drop's, which Qt matches and answers itself.
class DragRequests : public QAbstractNativeEventFilter
{
public:
    DragRequests(QWidget& pane, xcb_connection_t* connection)
        : m_pane(&pane)
        , m_connection(connection)
        , m_selection(intern(connection, "XdndSelection"))
        , m_targets(intern(connection, "TARGETS"))
    {
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
    {
        if (type != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_SELECTION_REQUEST)
            return false;
        const auto& request = *static_cast<const xcb_selection_request_event_t*>(message);
        if (request.selection != m_selection || request.time != XCB_CURRENT_TIME)
            return false;
        const QMimeData* data = dragdata();
        if (!data)
            return false;
        answer(request, *data);
        return true;
    }

private:
    // The mime data of the pane's newest drag: its views make each drag as their child, and Qt
    // keeps it until the drop target has finished with it.
    const QMimeData* dragdata() const
    {
        const QList<QDrag*> drags = m_pane ? m_pane->findChildren<QDrag*>() : QList<QDrag*>();
        return drags.isEmpty() ? nullptr : drags.last()->mimeData();
    }

    void answer(const xcb_selection_request_event_t& request, const QMimeData& data)
    {
        // A requestor of the oldest kind names no property and means the target's name.
        const xcb_atom_t property = request.property != XCB_NONE ? request.property : request.target;
        bool served = false;
        if (request.target == m_targets) {
            QList<xcb_atom_t> targets { m_targets };
            for (const QString& format : data.formats())
                targets << intern(m_connection, format.toUtf8());
            xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, request.requestor, property, XCB_ATOM_ATOM, 32,
                                targets.size(), targets.data());
            served = true;
        } else {
            const QString format = QString::fromUtf8(atomname(m_connection, request.target));
            const QByteArray bytes = data.hasFormat(format) ? data.data(format) : QByteArray();
            // More than one request can carry would need the incremental transfer; file lists
            // never come near it.
            const qsizetype room = qsizetype(xcb_get_maximum_request_length(m_connection)) * 4 - 64;
            if (data.hasFormat(format) && bytes.size() <= room) {
                xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, request.requestor, property, request.target, 8,
                                    bytes.size(), bytes.constData());
                served = true;
            }
        }
        // The refusal names the target asked for, so the requestor moves on to the next format.
        xcb_selection_notify_event_t notify {};
        notify.response_type = XCB_SELECTION_NOTIFY;
        notify.time = request.time;
        notify.requestor = request.requestor;
        notify.selection = request.selection;
        notify.target = request.target;
        notify.property = served ? property : xcb_atom_t(XCB_NONE);
        char event[32] {}; // the server reads a whole event, longer than this one's fields
        static_assert(sizeof notify <= sizeof event);
        std::memcpy(event, &notify, sizeof notify);
        xcb_send_event(m_connection, false, request.requestor, XCB_EVENT_MASK_NO_EVENT, event);
        xcb_flush(m_connection);
    }

    QPointer<QWidget> m_pane;
    xcb_connection_t* m_connection;
    xcb_atom_t m_selection;
    xcb_atom_t m_targets;
};

} // namespace

PaneDragData::PaneDragData(QWidget& pane)
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return;
    m_filter = std::make_unique<DragRequests>(pane, x11->connection());
    QCoreApplication::instance()->installNativeEventFilter(m_filter.get());
}

PaneDragData::~PaneDragData()
{
    if (m_filter)
        QCoreApplication::instance()->removeNativeEventFilter(m_filter.get());
}
