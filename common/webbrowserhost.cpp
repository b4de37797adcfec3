#include "webbrowserhost.h"

#include "webpane.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QOpenGLContext>
#include <QPluginLoader>
#include <QTimer>
#include <QVBoxLayout>

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
    QTimer::singleShot(0, this, &WebBrowserHost::loadpane);
}

void WebBrowserHost::loadpane()
{
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
        m_view = pane->createview(this);
        if (!m_view)
            return;
        m_pane = pane;
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(m_view);
        m_view->show();
        setFocusProxy(m_view);
        m_pane->navigate(m_view, m_pending);
        m_pending.clear();
        return;
    }
}
