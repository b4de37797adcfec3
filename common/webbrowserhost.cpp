#include "webbrowserhost.h"

WebBrowserHost::WebBrowserHost(QWidget* parent)
    : QWidget(parent)
{
    setAutoFillBackground(true);
    QPalette blank = palette();
    blank.setColor(QPalette::Window, Qt::white);
    setPalette(blank);
}

void WebBrowserHost::navigate(const QString&) { }
