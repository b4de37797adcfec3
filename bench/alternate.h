#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QStringList>
#include <algorithm>
#include <cstdio>

// Runs two commands in turn `runs` times, each printing two times in milliseconds, so that a
// change in the machine's load falls on both alike. figures[0] and [1] get the first command's
// two times, [2] and [3] the second's. False, with the failed run's error output shown, when
// a run fails.
inline bool alternate(int runs, const QProcessEnvironment& env, const QStringList (&commands)[2],
                      QList<double> (&figures)[4])
{
    for (int i = 0; i < runs; ++i) {
        for (int p = 0; p < 2; ++p) {
            QProcess run;
            run.setProcessEnvironment(env);
            run.start(commands[p].first(), commands[p].mid(1));
            if (!run.waitForFinished(90000) || run.exitCode() != 0) {
                // The engine talks a lot on its error channel; shown only when a run fails.
                std::fprintf(stderr, "%s\n%s failed (no plugin, or no display?)\n",
                             run.readAllStandardError().constData(), qPrintable(commands[p].join(' ')));
                return false;
            }
            const QList<QByteArray> times = run.readAllStandardOutput().trimmed().split(' ');
            figures[2 * p] << times.value(0).toDouble();
            figures[2 * p + 1] << times.value(1).toDouble();
        }
    }
    std::printf("%d runs each, alternating\n\n| figure | ratio | measured (median) | baseline (median) |\n"
                "|---|---|---|---|\n",
                runs);
    return true;
}

inline double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}
