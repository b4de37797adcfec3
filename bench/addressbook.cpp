// The Save Url round trip on a large book (rewrite the whole file, empty the combo, read it
// back) against a baseline of the least that work needs: the same bytes written with
// QSaveFile, read back, and put into a fresh QComboBox with addItems.
#include "main_window/addressbook.h"
#include "bigbook.h"
#include "fakedesktopservices.h"
#include "main_window/frmquaylink.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace
{

QByteArray bookbytes(int entries)
{
    QList<QByteArray> lines;
    for (const QString& text : bigbook('a', entries))
        lines << addressbook::encode({ text, {} });
    return addressbook::writelines(lines);
}

void writefile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
}

void roundtrip(benchmark::State& state)
{
    const int entries = int(state.range(0));
    QTemporaryDir dir;
    writefile(dir.filePath(QStringLiteral("ftpurl.txt")), bookbytes(entries));
    FakeDesktopServices services;
    frmquaylink window(services, dir.path());
    for (auto _ : state) {
        if (!window.saveurls().isEmpty())
            state.SkipWithError("save failed");
        window.combourl->clear();
        window.combourl->clearEditText();
        window.loadurls();
    }
    if (window.combourl->count() != entries)
        state.SkipWithError("the book did not come back whole");
}

void baseline(benchmark::State& state)
{
    const int entries = int(state.range(0));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ftpurl.txt"));
    const QByteArray content = bookbytes(entries);
    for (auto _ : state) {
        QSaveFile out(path);
        out.open(QIODevice::WriteOnly);
        out.write(content);
        if (!out.commit())
            state.SkipWithError("save failed");
        QFile in(path);
        in.open(QIODevice::ReadOnly);
        QStringList texts = QString::fromUtf8(in.readAll()).split(QStringLiteral("\r\n"));
        texts.removeLast();
        QComboBox combo;
        combo.addItems(texts);
        benchmark::DoNotOptimize(combo.count());
    }
}

} // namespace

BENCHMARK(baseline)->Name("baseline")->Arg(32767)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(roundtrip)->Name("roundtrip")->Arg(32767)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
