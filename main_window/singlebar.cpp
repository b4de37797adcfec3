#include "singlebar.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QLockFile>
#include <QStandardPaths>
#include <QWidget>

SingleBar::SingleBar(const QString& book)
{
    // Named after the book's real place, whichever way it is reached, in the user's own
    // runtime folder where there is one.
    const QFileInfo info(book);
    const QString real
        = info.exists() ? info.canonicalFilePath() : QFileInfo(info.path()).canonicalFilePath() + '/' + info.fileName();
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    const QString name = dir + QStringLiteral("/quaylink-")
        + QString::fromLatin1(QCryptographicHash::hash(real.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
    m_knock = name + QStringLiteral(".raise");
    m_lock = std::make_unique<QLockFile>(name + QStringLiteral(".lock"));
    // Only the holder's end makes a lock stale, however long ago it started.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        // When no lock can be made at all, the bar runs unguarded rather than not at all.
        m_first = m_lock->error() != QLockFile::LockFailedError;
        if (!m_first) {
            QFile knock(m_knock);
            if (knock.open(QIODevice::WriteOnly | QIODevice::Append))
                knock.write("\n");
        }
        return;
    }
    QFile knock(m_knock);
    if (!knock.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    knock.close();
    auto* watcher = new QFileSystemWatcher({ m_knock }, this);
    connect(watcher, &QFileSystemWatcher::fileChanged, this, &SingleBar::comeforward);
}

SingleBar::~SingleBar()
{
    if (m_lock->isLocked())
        QFile::remove(m_knock);
}

void SingleBar::comeforward()
{
    // At the first start the missing-file notice shows before the bar does.
    QWidget* front = QApplication::activeModalWidget();
    if (!front)
        front = m_window;
    if (!front || !front->isVisible())
        return;
    front->setWindowState(front->windowState() & ~Qt::WindowMinimized);
    front->raise();
    front->activateWindow();
}
