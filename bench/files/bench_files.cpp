// The file browser with big folders: 10,000 ".wav" files read and shown in the file list, and
// a folder of 10,000 subfolders opened in the folder tree. Prints times and memory.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QListView>
#include <QTreeView>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/files/cqp_doc.h"
#include "gui/views/files/left_view.h"
#include "gui/views/files/mid_view.h"

namespace {

constexpr int kCount = 10000;

long ResidentKiB() {
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(statm);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

long PeakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

void RemoveTree(const std::string& path) {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

// Shows the widget's current state on screen (offscreen here): layout and one full paint.
void Show(QWidget* widget) {
    QApplication::processEvents();
    widget->grab();
}

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    if (app.arguments().contains("--help")) {
        std::printf(
            "usage: bench_files\n  Times the file list with 10,000 \".wav\" files and the "
            "folder tree opening a folder of 10,000 subfolders, in a temporary folder.\n");
        return 0;
    }

    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/bench-files-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string root = buffer.data();
    const std::string files = root + "/Files/";
    const std::string folders = root + "/Folders/";
    mkdir(files.c_str(), 0777);
    mkdir(folders.c_str(), 0777);
    for (int i = 0; i < kCount; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "Message %05d.wav", (i * 7919) % kCount);
        const int fd = open((files + name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            if (write(fd, "RIFF", 4) != 4) std::perror("write");
            close(fd);
        }
        std::snprintf(name, sizeof name, "Folder %05d", (i * 7919) % kCount);
        mkdir((folders + name).c_str(), 0777);
    }

    CQPDoc doc;
    CMidView list(doc);
    list.resize(700, 500);
    list.show();
    Show(&list);

    std::printf("file list, %d \".wav\" files (read, sorted, laid out and painted):\n", kCount);
    const char* modeNames[] = {"large icons", "report", "small icons", "list"};
    for (int mode :
         {CMidView::kReport, CMidView::kLargeIcons, CMidView::kSmallIcons, CMidView::kList}) {
        list.SetViewMode(mode);
        Show(&list);
        const long before = ResidentKiB();
        const auto start = std::chrono::steady_clock::now();
        doc.FillFileList(files);
        Show(&list);
        const double ms = MillisecondsSince(start);
        std::printf("  %-12s %8.1f ms   %6zu rows   resident %+6ld KiB   %s\n", modeNames[mode], ms,
                    doc.GetFileList()->size(), ResidentKiB() - before,
                    ms < 1000 ? "(under 1 s)" : "(OVER 1 s)");
    }

    std::string leftPath = root + "/";
    CLeftView tree(doc, leftPath);
    tree.SetDriveSource([&root] {
        return std::vector<DriveInfo>{{root, kDriveFixed, "Bench (" + root + ")"}};
    });
    tree.resize(300, 500);
    tree.show();
    tree.OnInitialUpdate();
    Show(&tree);
    QTreeWidgetItem* drive = tree.topLevelItem(0);
    QTreeWidgetItem* big = nullptr;
    for (int i = 0; i < drive->childCount(); ++i)
        if (drive->child(i)->text(0) == "Folders") big = drive->child(i);
    if (!big) {
        std::fprintf(stderr, "the folder of folders is not in the tree\n");
        RemoveTree(root);
        return 1;
    }

    std::printf("folder tree, a folder of %d subfolders:\n", kCount);
    for (int round = 1; round <= 2; ++round) {
        const long before = ResidentKiB();
        const auto start = std::chrono::steady_clock::now();
        big->setExpanded(true);  // read, sorted, items made, laid out and painted
        Show(&tree);
        const double ms = MillisecondsSince(start);
        std::printf("  expand #%d   %8.1f ms   %6d items     resident %+6ld KiB   %s\n", round, ms,
                    big->childCount(), ResidentKiB() - before,
                    ms < 1000 ? "(under 1 s)" : "(OVER 1 s)");
        big->setExpanded(false);
        Show(&tree);
    }
    std::printf("peak resident size of the whole run: %ld KiB\n", PeakKiB());
    RemoveTree(root);
    return 0;
}
