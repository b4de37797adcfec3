#include "webbrowserhost.h"

#include "webpane.h"

#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QOpenGLContext>
#include <QPluginLoader>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

// The build passes the plugin's file name and its installed place relative to the executable.
#ifndef QUAYLINK_WEBPANE_FILE
#define QUAYLINK_WEBPANE_FILE "quaylink_webpane.so"
#endif
#ifndef QUAYLINK_WEBPANE_RELDIR
#define QUAYLINK_WEBPANE_RELDIR "../lib/quaylink"
#endif

QT_BEGIN_NAMESPACE
// Exported by QtGui for Qt WebEngine's own start-up; not in a public header.
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);
QT_END_NAMESPACE

namespace
{

// The web engine shares its textures with the window through one global OpenGL context.
// Qt makes it at start-up when asked to (Qt::AA_ShareOpenGLContexts), but that costs every
// start the price of an OpenGL context; making it here, just before the engine loads, costs
// only the starts that show a page. Without OpenGL the engine falls back to software.
void ensuresharecontext()
{
    if (QOpenGLContext::globalShareContext())
        return;
    auto* context = new QOpenGLContext(QCoreApplication::instance());
    if (!context->create()) {
        delete context;
        return;
    }
    qt_gl_set_global_share_context(context);
}

// The page view's own window. Tab past the page's last field, or Shift+Tab past its first,
// goes on to the bar's control after or before the pane, not round the page again.
class PageHolder : public QWidget
{
public:
    explicit PageHolder(QWidget& pane)
        : QWidget(nullptr, Qt::FramelessWindowHint)
        , m_pane(pane)
    {
    }

protected:
    bool focusNextPrevChild(bool next) override
    {
        QWidget* to = &m_pane;
        do
            to = next ? to->nextInFocusChain() : to->previousInFocusChain();
        while (to != &m_pane
               && (!(to->focusPolicy() & Qt::TabFocus) || to->focusProxy() || !to->isVisible() || !to->isEnabled()));
        to->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        return true;
    }

private:
    QWidget& m_pane;
};

// A screen reader finds the page itself inside the pane: the engine's document, with its
// headings, links and fields.
class PaneAccessible : public QAccessibleWidget
{
public:
    explicit PaneAccessible(WebBrowserHost* pane)
        : QAccessibleWidget(pane, QAccessible::Pane)
    {
    }

    int childCount() const override { return page() ? 1 : 0; }
    QAccessibleInterface* child(int index) const override { return index == 0 ? page() : nullptr; }
    int indexOfChild(const QAccessibleInterface* child) const override { return child && child == page() ? 0 : -1; }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        QAccessibleInterface* document = page();
        return document && document->rect().contains(x, y) ? document : nullptr;
    }
    QAccessibleInterface* focusChild() const override
    {
        QAccessibleInterface* document = page();
        return document ? document->focusChild() : nullptr;
    }

private:
    // The engine's view offers the document as its only child once a page has loaded.
    QAccessibleInterface* page() const
    {
        QWidget* view = static_cast<WebBrowserHost*>(widget())->view();
        QAccessibleInterface* inview = view ? QAccessible::queryAccessibleInterface(view) : nullptr;
        return inview && inview->childCount() > 0 ? inview->child(0) : nullptr;
    }
};

// The page view's window counts as a part of the pane, not as a window of its own, so that
// whatever has the focus in the page belongs to the bar. Up from the page a screen reader
// passes through it to the pane; down, the pane leads straight to the page.
class HolderAccessible : public QAccessibleWidget
{
public:
    HolderAccessible(QWidget* holder, QWidget* pane)
        : QAccessibleWidget(holder, QAccessible::Client)
        , m_pane(pane)
    {
    }

    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(m_pane); }

private:
    QWidget* m_pane;
};

// Gives `object` the interface made for it here, in place of any made before.
void setaccessible(QObject* object, QAccessibleInterface* made)
{
    if (QAccessibleInterface* before = QAccessible::queryAccessibleInterface(object))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(before));
    QAccessible::registerAccessibleInterface(made);
}

} // namespace

WebBrowserHost::~WebBrowserHost() = default;

WebBrowserHost::WebBrowserHost(QWidget* parent)
    : BrowserPane(parent)
{
    setAutoFillBackground(true);
    QPalette blank = palette();
    blank.setColor(QPalette::Window, Qt::white);
    setPalette(blank);
    // The pane has its place in the window's tab order, and hands the focus to its page.
    setFocusPolicy(Qt::TabFocus);
    setaccessible(this, new PaneAccessible(this));

    const QString appdir = QCoreApplication::applicationDirPath();
    m_plugindirs = QStringList { appdir, appdir + QStringLiteral("/" QUAYLINK_WEBPANE_RELDIR) };
}

QString WebBrowserHost::pluginfilename()
{
    return QStringLiteral(QUAYLINK_WEBPANE_FILE);
}

void WebBrowserHost::navigate(const QString& url)
{
    if (m_view) {
        m_pane->navigate(m_view, url);
        return;
    }
    // Until the plugin is in place only the latest address counts; after a failed load
    // nothing more happens.
    m_pending = url;
    if (m_loadasked)
        return;
    m_loadasked = true;
    m_waiting = m_held;
    if (!m_held)
        QTimer::singleShot(0, this, &WebBrowserHost::loadpane);
}

void WebBrowserHost::releaseload()
{
    m_held = false;
    if (std::exchange(m_waiting, false))
        QTimer::singleShot(0, this, &WebBrowserHost::loadpane);
}

void WebBrowserHost::loadpane()
{
    // A bar closed before its pane loaded shows no page, and the page view's own window would
    // keep the program from ending with its last window.
    if (window()->isHidden() && window()->testAttribute(Qt::WA_WState_ExplicitShowHide))
        return;
    for (const QString& dir : std::as_const(m_plugindirs)) {
        const QFileInfo file(dir + '/' + pluginfilename());
        if (!file.isFile())
            continue;
        ensuresharecontext();
        QPluginLoader loader(file.absoluteFilePath());
        // The plugin stays loaded for the rest of the run: its view lives in this pane.
        auto* pane = qobject_cast<WebPane*>(loader.instance());
        if (!pane)
            continue;
        // The page view draws through OpenGL. Put into the bar, it would make Qt create the
        // bar's native window anew, as an OpenGL one: a flicker, a new taskbar entry, and a
        // window that the window manager and other tools no longer know. So the view gets a
        // native window of its own, made OpenGL from the start, set into the pane.
        auto holder = std::make_unique<PageHolder>(*this);
        setaccessible(holder.get(), new HolderAccessible(holder.get(), this));
        m_view = pane->createview(holder.get());
        if (!m_view)
            return;
        m_pane = pane;
        auto* inner = new QVBoxLayout(holder.get());
        inner->setContentsMargins(0, 0, 0, 0);
        inner->addWidget(m_view);
        // Loading makes the engine add its drawing surface to the view, which decides the
        // kind of window the holder gets.
        m_pane->navigate(m_view, m_pending);
        m_pending.clear();
        holder->winId();
        QWidget* container = QWidget::createWindowContainer(holder->windowHandle(), this);
        // Files dragged over the page are the bar's, as over the rest of it: the container
        // would hand them on to the page, which would open them.
        container->setAcceptDrops(false);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(container);
        container->show();
        holder->show();
        // The pane keeps the focus itself rather than handing it to the container: a focus
        // proxy would move the pane's place in the window's tab order.
        installEventFilter(this);
        holder->windowHandle()->installEventFilter(this);
        m_holder = std::move(holder);
        return;
    }
}

bool WebBrowserHost::eventFilter(QObject* watched, QEvent* event)
{
    // The keyboard stays with the bar's window while the page's window sits inside it: a click
    // into the page puts the bar's focus on the pane, and the pane hands its keys to the page.
    // The engine draws and takes input in a widget of its own, the view's focus proxy.
    QWidget* page = m_view && m_view->focusProxy() ? m_view->focusProxy() : m_view;
    if (m_holder && watched == m_holder->windowHandle() && event->type() == QEvent::MouseButtonPress) {
        setFocus(Qt::MouseFocusReason);
    } else if (watched == this && m_view) {
        switch (event->type()) {
        case QEvent::FocusIn:
        case QEvent::FocusOut: {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            QFocusEvent focus(event->type(), reason);
            QCoreApplication::sendEvent(page, &focus);
            // Tabbed into, the page goes on to its first field, or its last one going back, as
            // a Tab inside it would.
            if (event->type() == QEvent::FocusIn
                && (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason)) {
                const bool back = reason == Qt::BacktabFocusReason;
                for (const QEvent::Type type : { QEvent::KeyPress, QEvent::KeyRelease }) {
                    QKeyEvent tab(type, back ? Qt::Key_Backtab : Qt::Key_Tab,
                                  back ? Qt::ShiftModifier : Qt::NoModifier);
                    QCoreApplication::sendEvent(page, &tab);
                }
            }
            break;
        }
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::InputMethod:
            QCoreApplication::sendEvent(page, event);
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}
