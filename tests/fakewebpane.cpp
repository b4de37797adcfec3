#include "common/webpane.h"

#include <QLabel>
#include <QObject>
#include <QStringList>

// Stands in for the web engine: its view is a label that keeps the addresses it was sent.
class FakeWebPane : public QObject, public WebPane
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID WebPane_iid)
    Q_INTERFACES(WebPane)
public:
    QWidget* createview(QWidget* parent) override
    {
        if (qEnvironmentVariableIsSet("FAKEWEBPANE_REFUSE"))
            return nullptr; // as an engine that cannot start here
        auto* view = new QLabel(parent);
        view->setObjectName(QStringLiteral("fakeview"));
        return view;
    }
    void navigate(QWidget* view, const QString& url) override
    {
        view->setProperty("urls", view->property("urls").toStringList() << url);
    }
};

#include "fakewebpane.moc"
