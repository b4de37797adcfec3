#pragma once

#include <QWidget>

// The browser pane's place on the window. It shows nothing until its first navigation.
class WebBrowserHost : public QWidget
{
    Q_OBJECT
public:
    explicit WebBrowserHost(QWidget* parent);

    // Starts loading `url` and returns at once.
    void navigate(const QString& url);
};
