// The file list on a folder of 100,000 files: the time to list it (one reading of the folder
// and the rows' model), and to sort it by each column, each as the median of five. The folder
// is made once (empty files with names and sizes that vary) and kept between runs.
//
//   folder_bench FOLDER [--files N]

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "views/GViewFile.h"

namespace {

void MakeFolder(const QString& folder, int files) {
    QDir().mkpath(folder);
    if (QDir(folder).count() >= static_cast<unsigned>(files) + 2) return;
    const char* suffixes[] = {".html", ".png", ".css", ".js", ".txt", ".jpg"};
    for (int i = 0; i < files; ++i) {
        QFile file(QString("%1/file-%2%3")
                       .arg(folder)
                       .arg((i * 7919) % files, 6, 10, QChar('0'))
                       .arg(suffixes[i % 6]));
        if (file.exists()) continue;
        if (!file.open(QIODevice::WriteOnly)) return;
        file.write(QByteArray(i % 97, 'x'));
    }
}

template <class Work>
double MedianSeconds(Work work) {
    std::vector<double> times;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e9);
    }
    std::sort(times.begin(), times.end());
    return times[2];
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 2) {
        std::fprintf(stderr, "usage: folder_bench FOLDER [--files N]\n");
        return 2;
    }
    const QString folder = arguments[1];
    const qsizetype at = arguments.indexOf("--files");
    const int files = at > 0 && at + 1 < arguments.size() ? arguments[at + 1].toInt() : 100000;
    MakeFolder(folder, files);
    tw::views::GViewFile view;
    view.resize(800, 600);
    view.show();
    const double list = MedianSeconds([&] {
        view.ShowFolder(folder);
        QApplication::processEvents();  // the rows drawn
    });
    std::printf("list %d files  %6.3f s (median of 5)\n", view.model()->rowCount(), list);
    const char* names[] = {"name", "bad links", "size", "type", "date"};
    for (int column = 0; column < tw::views::GViewFile::kColumns; ++column) {
        bool ascending = false;
        const double sort = MedianSeconds([&] {
            ascending = !ascending;
            view.sortByColumn(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
            QApplication::processEvents();
        });
        std::printf("sort by %-9s %6.3f s (median of 5)\n", names[column], sort);
    }
    return 0;
}
