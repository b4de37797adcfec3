#include "uploadprogress.h"

#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

namespace
{

// The notes' colours: light yellow on dark navy, which stand out on the blue tile.
const QColor track(0, 0, 64);
const QColor done(255, 255, 128);
const QColor failure(255, 64, 64);

QString amount(qint64 bytes)
{
    return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat);
}

} // namespace

UploadProgress::UploadProgress(QWidget* parent)
    : QProgressBar(parent)
    , m_hide(new QTimer(this))
{
    setRange(0, 100);
    setTextVisible(false);
    setAccessibleName(QStringLiteral("Upload"));
    setCursor(Qt::PointingHandCursor);
    m_hide->setSingleShot(true);
    m_hide->setInterval(5000);
    connect(m_hide, &QTimer::timeout, this, &QWidget::hide);
    hide();
}

QString UploadProgress::describe(const Upload::Progress& progress, int waiting)
{
    // Nothing is known until the first file starts.
    QString text = progress.file.isEmpty()
        ? QStringLiteral("Uploading")
        : QStringLiteral("Uploading \"%1\", file %2 of %3: %4 of %5")
              .arg(progress.file, QString::number(progress.index), QString::number(progress.count),
                   amount(progress.done), amount(progress.total));
    if (waiting > 0)
        text += waiting == 1 ? QStringLiteral("; 1 more drop waiting")
                             : QStringLiteral("; %1 more drops waiting").arg(waiting);
    return text;
}

void UploadProgress::setprogress(const Upload::Progress& progress, int waiting)
{
    m_hide->stop();
    m_failed = false;
    // A drop of empty files has nothing to count but files.
    const double fraction = progress.total > 0 ? double(progress.done) / double(progress.total)
        : progress.count > 0                   ? double(progress.index - 1) / progress.count
                                               : 0;
    setValue(qBound(0, int(fraction * 100), 100));
    settext(describe(progress, waiting));
    show();
}

void UploadProgress::showend(const QString& text, bool failed)
{
    m_failed = failed;
    setValue(maximum());
    settext(text);
    show();
    m_hide->start();
}

void UploadProgress::settext(const QString& text)
{
    setToolTip(text);
    setAccessibleName(text);
    update();
}

void UploadProgress::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

void UploadProgress::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), track);
    QRect filled = rect();
    filled.setWidth(width() * (value() - minimum()) / std::max(1, maximum() - minimum()));
    painter.fillRect(filled, m_failed ? failure : done);
}
