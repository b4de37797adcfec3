#include "webbrowserhost.h"

#include "webpane.h"

#include <QCoreApplication>
#include <QFileInfo>
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

} // namespace

WebBrowserHost::~WebBrowserHost() = default;

WebBrowserHost::WebBrowserHost(QWidget* parent)
    : QWidget(parent)
{
    setAutoFillBackground(true);
    QPalette blank = palette();
    blank.setColor(QPalette::Window, Qt::white);
    setPalette(blank);
    // The pane has its place in the window's tab order, and hands the focus to its page.
    setFocusPolicy(Qt::TabFocus);

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
        auto holder = std::make_unique<QWidget>(nullptr, Qt::FramelessWindowHint);
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
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(container);
        container->show();
        holder->show();
        setFocusProxy(container);
        m_holder = std::move(holder);
        return;
    }
}
