// The desktop program, headless (QT_QPA_PLATFORM=offscreen): start-up and shutdown with the
// layout restored, the command table's enabling rules, Undo/Redo texts after a move, a
// progress dialog cancelled midway, a second start handing over its arguments, and a burst of
// changes on disk giving one reload question.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QProgressDialog>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QSpinBox>
#include <QSplashScreen>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QToolButton>
#include <QtTest>

#include "app/Application.h"
#include "app/CommandTable.h"
#include "app/DropRules.h"
#include "app/QtServices.h"
#include "core/settings/SettingsStore.h"
#include "core/strings/Strings.h"
#include "dialogs/GDlgEditor.h"
#include "dialogs/GDlgFixAll.h"
#include "dialogs/GDlgFixLink.h"
#include "dialogs/GDlgOptions.h"
#include "dialogs/GDlgOrphans.h"
#include "dialogs/GDlgReports.h"
#include "dialogs/GDlgSites.h"
#include "dialogs/GDlgWarn.h"
#include "engine/commands/SiteCommands.h"
#include "engine/maintenance/LinksTree.h"
#include "engine/model/SiteLoader.h"
#include "engine/model/SiteRegistry.h"
#include "engine/services/Browse.h"
#include "engine/services/SiteDefinition.h"
#include "ui/components/DefineList.h"
#include "ui/components/SelectionCoordinator.h"
#include "views/GPathCB.h"
#include "views/GViewTree.h"

using namespace tw;
using namespace tw::app;
using tw::ui::SelectionCoordinator;

class AppTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<QTemporaryDir> home_;
    QString base_, site_;

    void Write(const QString& relative, const QByteArray& bytes) {
        const QString path = site_ + "/" + relative;
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    static std::string S(const QString& text) { return text.toStdString(); }

    // Acts on the next modal dialog of this kind once it is up (it may open only after other
    // work, a "Please Wait" box, has let the event loop run).
    template <class Dialog>
    void WhenModal(std::function<void(Dialog*)> act) {
        auto* poll = new QTimer(this);
        connect(poll, &QTimer::timeout, poll, [poll, act] {
            auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible()) return;
            poll->stop();
            poll->deleteLater();
            act(dialog);
        });
        poll->start(20);
    }

    static QByteArray ReadFile(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // A browser started on its own socket, ready (sites loaded) when this returns.
    std::unique_ptr<CBrowser> Started(const QStringList& arguments = {}) {
        auto browser = std::make_unique<CBrowser>();
        if (!browser->Start(arguments + QStringList{"--nosplash"})) return nullptr;
        if (!browser->Ready()) QSignalSpy(browser.get(), &CBrowser::BecameReady).wait(5000);
        return browser;
    }

  private slots:
    void initTestCase() { base_ = QDir::tempPath(); }

    void init() {
        // Every test has its own home, settings, sites, and single-instance socket.
        home_ = std::make_unique<QTemporaryDir>(base_ + "/tw_app_XXXXXX");
        const QByteArray root = home_->path().toUtf8();
        qputenv("TIDEWRIGHT_HOME", root + "/home");
        qputenv("XDG_DATA_HOME", root + "/data");
        qputenv("XDG_CONFIG_HOME", root + "/config");
        qputenv("TMPDIR", root);
        qputenv("DISPLAY", "tw-test-" + QByteArray::number(QCoreApplication::applicationPid()) +
                               "-" + QByteArray::number(rand()));
        site_ = home_->path() + "/site";
        Write("index.html", "<a href=\"docs/a.html\">A</a> <img src=\"img/p.png\">\n");
        Write("docs/a.html", "<a href=\"../index.html\">home</a>\n");
        Write("img/p.png", "PNG");
        QDir().mkpath(site_ + "/new");
        // The load's list of syntax errors would wait for an OK.
        SettingsStore::Instance().WriteBool("1WarnOnLoadSites", false);
        SettingsStore::Instance().WriteBool("1WarnBeginTracking", false);
        SettingsStore::Instance().WriteBool("1ShowQuickStart", false);
        EQtServices::SetAnswerHook({});
    }

    void cleanup() {
        ESiteRegistry::Instance().Clear();
        EQtServices::SetAnswerHook({});
        dialogs::GDlgWarn::SetHook({});
    }

    void startupAndShutdownKeepTheLayoutAndSelection() {
        {
            auto browser = Started({"--track", site_});
            QVERIFY(browser);
            CMainFrame* window = browser->Window();
            QVERIFY(window->isVisible());
            QCOMPARE(window->windowTitle(), QString("Tidewright"));
            // A first start fits the screen it opens on, however small.
            const QRect room = window->screen()->availableGeometry();
            QVERIFY(window->width() <= room.width() && window->height() <= room.height());
            QVERIFY(
                ESiteRegistry::Instance().FindTrackedSite((site_ + "/index.html").toStdString()));
            window->Splitter()->setSizes({180, 400, 250});
            window->Files()->setColumnWidth(views::GViewFile::kType, 140);
            window->Files()->sortByColumn(views::GViewFile::kDate, Qt::DescendingOrder);
            window->Action(kShowTitles)->trigger();  // titles off
            window->ShowRightPane(false);
            SelectionCoordinator::Instance().SelectDir(site_ + "/docs");
            window->close();
            browser->Shutdown();
        }
        QCOMPARE(QString::fromStdString(
                     SettingsStore::Instance().ReadString(SettingsStore::kSection, "SelectedPath")),
                 site_ + "/docs/");
        ESiteRegistry::Instance().Clear();
        auto browser = Started();
        QVERIFY(browser);
        CMainFrame* window = browser->Window();
        QVERIFY(!window->RightPaneShown());
        QVERIFY(!window->Action(kShowTitles)->isChecked());
        QCOMPARE(window->Splitter()->sizes().value(0), 180);
        QCOMPARE(window->Files()->columnWidth(views::GViewFile::kType), 140);
        QCOMPARE(window->Files()->header()->sortIndicatorSection(), int(views::GViewFile::kDate));
        QCOMPARE(window->Files()->header()->sortIndicatorOrder(), Qt::DescendingOrder);
        QCOMPARE(SelectionCoordinator::Instance().CurrentFolder(), site_ + "/docs/");
        // The site defined in the first run is loaded again.
        QVERIFY(ESiteRegistry::Instance().FindTrackedSite((site_ + "/index.html").toStdString()));
        // The third pane comes back as wide as it was, the middle pane giving up that width.
        const int middle = window->Splitter()->sizes().value(1);
        window->ShowRightPane(true);
        QCOMPARE(window->Splitter()->sizes().value(2), 250);
        QCOMPARE(window->Splitter()->sizes().value(1), middle - 250);
    }

    // Each row: a state, and which of the commands with a rule are enabled in it (the others
    // are always enabled).
    void commandTableEnabling_data() {
        QTest::addColumn<int>("state");
        QTest::addColumn<QList<int>>("enabled");
        QTest::newRow("nothing selected") << 0 << QList<int>{};
        QTest::newRow("a page in a site")
            << 1
            << QList<int>{kOpenFiles,   kEditFiles,     kPrintFile,  kNewFolder,      kNewShortcut,
                          kDeleteFiles, kRenameFile,    kAttributes, kDuplicateFiles, kCut,
                          kCopy,        kPasteShortcut, kUndo,       kReloadSite};
        QTest::newRow("the root folder, undone, files on the clipboard")
            << 2 << QList<int>{kPrintFile, kAttributes, kRedo, kPaste, kBack};
        QTest::newRow("two folders")
            << 3 << QList<int>{kPrintFile, kNewFolder, kDeleteFiles,  kDuplicateFiles,
                               kCut,       kCopy,      kPasteShortcut};
    }

    void commandTableEnabling() {
        QFETCH(int, state);
        QFETCH(QList<int>, enabled);
        const QList<int> ruled = {
            kOpenFiles,  kEditFiles,  kPrintFile,      kNewFolder,  kNewShortcut, kDeleteFiles,
            kRenameFile, kAttributes, kDuplicateFiles, kUndo,       kRedo,        kCut,
            kCopy,       kPaste,      kPasteShortcut,  kReloadSite, kBack,        kForward};
        // hasFolder, folderIsDriveRoot, hasFile, single, fileIsDriveRoot, anyNonFolder,
        // anyEditable, canUndo, canRedo, clipboardHasFiles, inSite, canGoBack, canGoForward
        const CommandState states[] = {
            {},
            {true, false, true, true, false, true, true, true, false, false, true},
            {true, true, true, true, true, false, false, false, true, true, false, true, false},
            {true, false, true, false, false, false, false, false, false, false, false},
        };
        for (const MenuCommand& command : MenuCommands()) {
            if (command.id == kSeparator) continue;
            const bool expected = !ruled.contains(command.id) || enabled.contains(command.id);
            QVERIFY2(CommandEnabled(command.id, states[state]) == expected,
                     qPrintable(QString::fromUtf8(command.text.data(), command.text.size())));
        }
    }

    void undoAndRedoTextsFollowAMove() {
        auto browser = Started({"--track", site_});
        QVERIFY(browser);
        CMainFrame* window = browser->Window();
        QAction* undo = window->Action(kUndo);
        QAction* redo = window->Action(kRedo);
        QCOMPARE(undo->text(), QString("&Undo "));
        QVERIFY(!undo->isEnabled());
        QVERIFY(window->ExecuteCommand(std::make_unique<ESiteMoveCommand>(
            std::vector<std::string>{(site_ + "/docs").toStdString()},
            (site_ + "/new").toStdString())));
        QVERIFY(QFile::exists(site_ + "/new/docs/a.html"));
        QCOMPARE(undo->text(), QString("&Undo move of \"docs\""));
        QVERIFY(undo->isEnabled());
        QVERIFY(!redo->isEnabled());
        undo->trigger();
        QVERIFY(QFile::exists(site_ + "/docs/a.html"));
        QCOMPARE(undo->text(), QString("&Undo "));
        QVERIFY(!undo->isEnabled());
        QCOMPARE(redo->text(), QString("&Redo move of \"docs\""));
        QVERIFY(redo->isEnabled());
        QCOMPARE(undo->shortcut(), QKeySequence("Ctrl+Z"));
        QVERIFY(redo->shortcuts().contains(QKeySequence("Ctrl+Shift+Z")));
    }

    // The folder pane counts the current folder, the file pane the selected files; the
    // subfolder button makes the folder count descend.
    void theStatusBarsCountTheSelection() {
        auto browser = Started();
        QVERIFY(browser);
        CMainFrame* window = browser->Window();
        SelectionCoordinator::Instance().SelectMultiple(
            {site_ + "/index.html", site_ + "/docs/a.html", site_ + "/img/p.png"});
        QTRY_COMPARE(window->Pane(1)->Part(0)->text(), QString("3 items"));
        QCOMPARE(window->Pane(1)->Part(1)->text(), QString("1 KB"));
        QTRY_COMPARE(window->Pane(0)->Part(0)->text(), QString("1 items"));  // index.html
        window->Pane(0)->StatusBar()->findChild<QToolButton*>()->click();
        QTRY_COMPARE(window->Pane(0)->Part(0)->text(), QString("3 items"));
    }

    // The splash holds the first idle moment back until it goes: after 3.2 s, or at once at the
    // first key press.
    void theSplashGoesAtTheFirstKey() {
        // The last session's folder comes back after the splash too.
        SettingsStore::Instance().WriteString(SettingsStore::kSection, "SelectedPath",
                                              S(site_ + "/docs/"));
        CBrowser browser;
        QVERIFY(browser.Start({}));
        const auto splashShown = [] {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (qobject_cast<QSplashScreen*>(widget) && widget->isVisible()) return true;
            return false;
        };
        QTRY_VERIFY(splashShown());  // the event loop ran meanwhile
        QVERIFY(!browser.Ready());
        QTest::keyClick(browser.Window(), Qt::Key_Space);
        QTRY_VERIFY_WITH_TIMEOUT(browser.Ready(), 1500);
        QCOMPARE(SelectionCoordinator::Instance().CurrentFolder(), site_ + "/docs/");
        QCOMPARE(browser.Window()->Files()->Folder(), site_ + "/docs");
    }

    // The folder pane follows the selection, reports its own, and marks tracked sites.
    void theFolderTreeFollowsAndReportsTheSelection() {
        auto browser = Started({"--track", site_});
        QVERIFY(browser);
        views::GViewTree* tree = browser->Window()->Tree();
        SelectionCoordinator::Instance().SelectDir(site_ + "/docs");
        QCOMPARE(tree->CurrentItemPath(), site_ + "/docs");
        QStandardItem* site = tree->ItemOf(site_);
        QVERIFY(site && site->data(views::GViewTree::kTrackedRole).toBool());
        QVERIFY(!tree->ItemOf(site_ + "/docs")->data(views::GViewTree::kTrackedRole).toBool());
        QVERIFY(site->font().bold() == false && tree->ItemOf(site_ + "/docs")->font().bold());
        // Chosen in the tree, a folder becomes the current folder.
        tree->setCurrentIndex(tree->ItemOf(site_ + "/img")->index());
        QCOMPARE(SelectionCoordinator::Instance().CurrentFolder(), site_ + "/img/");
        // A folder made on disk appears when its parent is read again, as it is when the
        // folder is looked for.
        QDir().mkpath(site_ + "/later");
        QStandardItem* siteItem = tree->ItemOf(site_);
        const auto listed = [siteItem](const QString& name) {
            for (int row = 0; row < siteItem->rowCount(); ++row)
                if (siteItem->child(row)->text() == name) return true;
            return false;
        };
        QVERIFY(!listed("later"));
        tree->RefreshFolder(site_);
        QVERIFY(listed("later"));
        QDir().mkpath(site_ + "/later2");
        QVERIFY(tree->SelectFolder(site_ + "/later2"));
    }

    // The third pane shows nothing, thumbnails, a file's details, or a page's details or
    // links, by the selection and the details/links switch; the link toolbar only for a page.
    void theThirdPaneChoosesItsView() {
        Write("index.html", "<title>  Home\n</title><a href=\"docs/a.html\">A</a>\n");
        QImage picture(3, 2, QImage::Format_RGB32);
        picture.fill(Qt::blue);
        QVERIFY(picture.save(site_ + "/img/p.png"));
        auto browser = Started({"--track", site_});
        QVERIFY(browser);
        CMainFrame* window = browser->Window();
        views::GThirdPane* pane = window->ThirdPane();
        SelectionCoordinator& selection = SelectionCoordinator::Instance();
        selection.SelectDir("");
        QCOMPARE(pane->CurrentKind(), views::GThirdPane::kNone);
        selection.SelectDir(site_ + "/img");
        QCOMPARE(pane->CurrentKind(), views::GThirdPane::kMultiple);
        QCOMPARE(pane->Multiple()->List()->count(), 1);
        QVERIFY(window->Pane(2)->ToolBar()->isHidden());
        selection.SelectFile(site_ + "/img/p.png");
        QCOMPARE(pane->CurrentKind(), views::GThirdPane::kUnlinked);
        // The picture's own size, once the background decoder has read it.
        QTRY_VERIFY(pane->Unlinked()->Information()->toPlainText().startsWith("3 x 2 ("));
        QCOMPARE(pane->Unlinked()->PreviewWidget(), pane->Unlinked()->PicturePreview());
        selection.SelectFile(site_ + "/index.html");
        QCOMPARE(pane->CurrentKind(), views::GThirdPane::kHtml);
        QVERIFY(pane->Html()->Information()->toPlainText().contains("Title:\tHome\n"));
        QVERIFY(!window->Pane(2)->ToolBar()->isHidden());
        QTRY_VERIFY(pane->Html()->PagePreview()->toPlainText().contains("A"));
        window->Action(kViewLinks)->trigger();
        QCOMPARE(pane->CurrentKind(), views::GThirdPane::kLink);
        QCOMPARE(selection.CurrentFile(), site_ + "/index.html");
        QCOMPARE(pane->Links()->List()->topLevelItemCount(), 1);
        // The tracking strip's switch is one for every view.
        pane->Links()->findChild<QToolButton*>()->click();
        QVERIFY(pane->Links()->Strip()->isHidden());
        window->Action(kViewDetails)->trigger();
        QVERIFY(pane->Html()->Strip()->isHidden());
        selection.SelectMultiple({site_ + "/index.html", site_ + "/img/p.png"});
        QCOMPARE(pane->CurrentKind(), views::GThirdPane::kMultiple);
        QCOMPARE(pane->Multiple()->List()->count(), 2);
    }

    // The links list: each link's status and line, the filters, one row per target, and a page
    // outside the sites, whose local links are all untracked.
    void theLinksListShowsStatusLinesAndFilters() {
        Write("index.html",
              "<title>Home</title>\n<a href=\"docs/a.html\">A</a>\n"
              "<a href=\"gone.html\">gone</a> <a href=\"https://example.org/\">x</a>\n"
              "<img src=\"img/p.png\">\n<a href=\"docs/a.html\">again</a>\n");
        SettingsStore::Instance().WriteBool("0PreferLinkView", true);
        auto browser = Started({"--track", site_});
        QVERIFY(browser);
        views::GThirdPane* pane = browser->Window()->ThirdPane();
        SelectionCoordinator::Instance().SelectFile(site_ + "/index.html");
        QCOMPARE(pane->CurrentKind(), views::GThirdPane::kLink);
        views::GCtrlLink* list = pane->Links()->List();
        const auto rows = [list] {
            QStringList out;
            for (int i = 0; i < list->topLevelItemCount(); ++i) {
                const QTreeWidgetItem* row = list->topLevelItem(i);
                out << row->text(views::GCtrlLink::kLine) + " " +
                           row->text(views::GCtrlLink::kStatus);
            }
            return out.join(" | ");
        };
        // One row per target unless asked otherwise: its line column lists every line.
        QCOMPARE(rows(), QString("2,5 Good link | 3 Broken link | 3 External link | 4 Good link"));
        QCOMPARE(browser->Window()->Pane(2)->Part(2)->text(), QString("1 bad"));
        // The toolbar's switches: each is one filter, saved as it changes.
        const QList<QAction*> filters = pane->FilterActions();
        filters[7]->trigger();  // a row for every link
        QVERIFY(!SettingsStore::Instance().ReadBool("1CombineLinkLineNumbers"));
        QCOMPARE(rows(), QString("2 Good link | 3 Broken link | 3 External link | 4 Good link | "
                                 "5 Good link"));
        filters[0]->trigger();  // good off
        QCOMPARE(rows(), QString("3 Broken link | 3 External link"));
        QVERIFY(!SettingsStore::Instance().ReadBool("1ShowGoodLinks"));
        filters[0]->trigger();
        filters[5]->trigger();  // embedded off
        QCOMPARE(rows(), QString("2 Good link | 3 Broken link | 3 External link | 5 Good link"));
        filters[5]->trigger();
        for (int i : {0, 1, 2}) filters[i]->trigger();  // good, broken and external off
        QCOMPARE(list->topLevelItemCount(), 0);
        for (int i : {0, 1, 2}) filters[i]->trigger();
        // By status: broken first, then good, then external; each by line.
        list->sortByColumn(views::GCtrlLink::kStatus, Qt::AscendingOrder);
        QCOMPARE(rows(), QString("3 Broken link | 2 Good link | 4 Good link | 5 Good link | "
                                 "3 External link"));
        // A page outside every site: its local links are untracked, whatever their targets.
        QTemporaryDir outside;
        QFile page(outside.path() + "/p.html");
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write("<a href=\"x.html\">x</a>\n<a href=\"https://example.org/\">y</a>\n");
        page.close();
        SelectionCoordinator::Instance().SelectFile(outside.path() + "/p.html");
        list->sortByColumn(views::GCtrlLink::kLine, Qt::AscendingOrder);
        QCOMPARE(rows(), QString("1 Untracked local link | 2 External link"));
        QVERIFY(!filters[1]->isEnabled());
    }

    // A click on a broken link opens "Replace Link"; the new target goes into the page through
    // the history, and undo gives the page its old link back.
    void aClickOnALinkRepairsIt() {
        Write("index.html", "<a href=\"docs/a.html\">A</a>\n<a href=\"gone.html\">gone</a>\n");
        SettingsStore::Instance().WriteBool("0PreferLinkView", true);
        auto browser = Started({"--track", site_});
        QVERIFY(browser);
        CMainFrame* window = browser->Window();
        SelectionCoordinator::Instance().SelectFile(site_ + "/index.html");
        views::GCtrlLink* list = window->ThirdPane()->Links()->List();
        QTreeWidgetItem* broken = list->topLevelItem(1);
        QCOMPARE(broken->text(views::GCtrlLink::kUrl), QString("gone.html"));
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<dialogs::GDlgFixLink*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            seen = true;
            QCOMPARE(dialog->windowTitle(),
                     QString("Fix Link In \"%1\"").arg(site_ + "/index.html"));
            QCOMPARE(dialog->OldLink(), QString("/gone.html"));
            // F3 looks for files of the link's name: there are none.
            dialog->Chooser()->SearchSameName(true);
            QCOMPARE(dialog->Chooser()->Status()->text(),
                     QString("File not found.  Try a search using wildcards."));
            dialog->Chooser()->Target()->setText("/docs/a.html");
            dialog->accept();
        });
        const QRect rect = list->visualItemRect(broken);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        QVERIFY(seen);
        QCOMPARE(ReadFile(site_ + "/index.html"),
                 QByteArray("<a href=\"docs/a.html\">A</a>\n<a href=\"docs/a.html\">gone</a>\n"));
        // Both links lead to one page now: one row.
        QCOMPARE(list->topLevelItemCount(), 1);
        QCOMPARE(list->topLevelItem(0)->text(views::GCtrlLink::kLine), QString("1,2"));
        window->Action(kUndo)->trigger();
        QCOMPARE(ReadFile(site_ + "/index.html"),
                 QByteArray("<a href=\"docs/a.html\">A</a>\n<a href=\"gone.html\">gone</a>\n"));
    }

    // "Fix All Broken Links": the site's broken links in groups; "Fix it" rewrites every page
    // with the link through the history and moves it to "_Fixed"; links move between groups
    // and into "_Ignore"; the groups are kept in the site's links file; Undo takes a fix back.
    void fixAllBrokenLinksFixesThroughTheHistory() {
        Write("index.html",
              "<a href=\"gone.html\">g</a> <a href=\"docs/a.html\">a</a>\n"
              "<img src=\"missing.png\">\n");
        Write("docs/a.html", "<a href=\"../gone.html\">g</a>\n");
        auto browser = Started({"--track", site_});
        QVERIFY(browser);
        CMainFrame* window = browser->Window();
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<dialogs::GDlgFixAll*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            seen = true;
            QTreeWidget* tree = dialog->Tree();
            QCOMPARE(tree->topLevelItem(0)->text(0), QString("_Broken (2 unique, 3 total)"));
            QCOMPARE(dialog->CurrentLink(), QString("/gone.html"));
            QCOMPARE(tree->currentItem()->text(1), QString("2"));
            dialog->Chooser()->Target()->setText("/docs/a.html");
            dialog->FixIt();
            QCOMPARE(dialog->Groups().Groups()[1].links.size(), 1u);  // in "_Fixed"
            QCOMPARE(dialog->CurrentLink(), QString("/missing.png"));
            // Into "_Ignore": no longer broken.
            QVERIFY(dialog->MoveSelectedTo(dialog->Groups().Find(GLinksTree::Kind::Ignore)));
            EAppSite* site = ESiteRegistry::Instance().FindTrackedSite(site_.toStdString() + "/");
            QCOMPARE(site->brokenLinks.size(), 0u);
            dialog->reject();  // Done
        });
        window->Run(kFixAllLinks);
        QVERIFY(seen);
        QCOMPARE(ReadFile(site_ + "/index.html"),
                 QByteArray("<a href=\"docs/a.html\">g</a> <a href=\"docs/a.html\">a</a>\n"
                            "<img src=\"missing.png\">\n"));
        QCOMPARE(ReadFile(site_ + "/docs/a.html"), QByteArray("<a href=\"a.html\">g</a>\n"));
        EAppSite* site = ESiteRegistry::Instance().FindTrackedSite(site_.toStdString() + "/");
        const QByteArray links = ReadFile(QString::fromStdString(LinksFilePath(*site)));
        QVERIFY(links.contains("_Fixed (1 unique, 2 total)"));
        QVERIFY(links.contains("/missing.png (1 instances)"));
        QVERIFY(window->Action(kUndo)->text().contains("/gone.html"));
        window->Action(kUndo)->trigger();
        QVERIFY(ReadFile(site_ + "/docs/a.html").contains("../gone.html"));
    }

    // "Remove Orphans": ticked orphans go to a folder (undone from the Edit menu) or to the
    // trash after the delete warning; unticked ones are remembered and left alone.
    void removeOrphansToAFolderOrTheTrash() {
        Write("lost.html", "<p>no page leads here</p>");
        Write("old/gone.png", "PNG");
        auto browser = Started({"--track", site_});
        QVERIFY(browser);
        CMainFrame* window = browser->Window();
        const QString attic = home_->path() + "/attic";
        const auto run = [&](const std::function<void(dialogs::GDlgOrphans*)>& act) {
            bool seen = false;
            QTimer::singleShot(0, [&] {
                auto* dialog =
                    qobject_cast<dialogs::GDlgOrphans*>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                seen = true;
                act(dialog);
            });
            window->Run(kRemoveOrphans);
            QVERIFY(seen);
        };
        const auto entries = [](QListWidget* list) {
            QStringList out;
            for (int row = 0; row < list->count(); ++row) out << list->item(row)->text();
            return out;
        };
        run([&](dialogs::GDlgOrphans* dialog) {
            // The empty folder "new" is an orphan too; "old" goes whole with its picture.
            QCOMPARE(entries(dialog->List()),
                     QStringList({site_ + "/lost.html", site_ + "/new", site_ + "/old"}));
            dialog->List()->item(1)->setCheckState(Qt::Unchecked);
            dialog->ToFolder()->setChecked(true);
            dialog->Folder()->setText(attic);
            dialog->accept();
        });
        // Below a folder named after the site, each in its place.
        QVERIFY(QFile::exists(attic + "/site/lost.html"));
        QVERIFY(QFile::exists(attic + "/site/old/gone.png"));
        QVERIFY(!QFile::exists(site_ + "/lost.html") && QFileInfo(site_ + "/new").isDir());
        QCOMPARE(SettingsStore::Instance().LoadStringList("IgnoreOrphanFile"),
                 std::vector<std::string>{(site_ + "/new").toStdString()});
        window->Action(kUndo)->trigger();
        QVERIFY(QFile::exists(site_ + "/lost.html") && !QFile::exists(attic + "/site/lost.html"));
        // To the trash, once the warning is answered "Delete"; "new" now starts unticked.
        QStringList warned;
        dialogs::GDlgWarn::SetHook([&](const QString& title, bool* checked) {
            warned << title;
            *checked = false;
            return int(dialogs::kWarnOk);
        });
        run([&](dialogs::GDlgOrphans* dialog) {
            QCOMPARE(dialog->List()->item(1)->checkState(), Qt::Unchecked);
            dialog->List()->item(2)->setCheckState(Qt::Unchecked);
            dialog->ToTrash()->setChecked(true);
            dialog->accept();
        });
        dialogs::GDlgWarn::SetHook({});
        QCOMPARE(warned, QStringList{"Confirm File Delete"});
        QVERIFY(!QFile::exists(site_ + "/lost.html"));
        QVERIFY(QFile::exists(home_->path() + "/data/Trash/files/lost.html"));
        QVERIFY(SettingsStore::Instance().ReadBool("SendOrphansToRecycleBin"));
    }

    // Each warning's buttons and the switch its box writes (answered as a user would, through
    // the hook, and once for real with the keyboard).
    void warningsAndTheirSwitches() {
        SettingsStore& settings = SettingsStore::Instance();
        int answer = dialogs::kWarnCancel;
        bool tick = true;
        dialogs::GDlgWarn::SetHook([&](const QString&, bool* checked) {
            *checked = tick;
            return answer;
        });
        // Ticked and cancelled: no delete, and no more warnings about deleting.
        QVERIFY(!dialogs::ConfirmFileDelete(nullptr, {site_ + "/index.html"}));
        QVERIFY(!settings.ReadBool("1WarnOnRecycle"));
        QVERIFY(dialogs::ConfirmFileDelete(nullptr, {site_ + "/index.html"}));  // not asked
        answer = dialogs::kWarnOther;
        tick = false;
        QCOMPARE(dialogs::ConfirmRemoveOrphansNow(nullptr), int(dialogs::kWarnOther));
        QVERIFY(settings.ReadBool("1WarnFixLinksFirst"));
        tick = true;
        dialogs::ConfirmRemoveOrphansNow(nullptr);
        QVERIFY(!settings.ReadBool("1WarnFixLinksFirst"));
        bool dontAsk = false;
        answer = dialogs::kWarnNo;
        QCOMPARE(dialogs::ConfirmReloadSite(nullptr, &dontAsk), int(dialogs::kWarnNo));
        QVERIFY(dontAsk);
        dialogs::GDlgWarn::SetHook({});
        // For real: Escape is Cancel; the box's state comes back.
        settings.WriteBool("1WarnOnRecycle", true);
        QTimer::singleShot(0, [] {
            QWidget* dialog = QApplication::activeModalWidget();
            QVERIFY(dialog);
            dialog->findChild<QCheckBox*>()->setChecked(true);
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        QVERIFY(!dialogs::ConfirmFileDelete(nullptr, {site_ + "/a.html", site_ + "/b.html"}));
        QVERIFY(!settings.ReadBool("1WarnOnRecycle"));
        // A report too long to read is replaced by where to read it.
        QTimer::singleShot(0, [] {
            QWidget* dialog = QApplication::activeModalWidget();
            QVERIFY(dialog);
            QVERIFY(dialog->findChild<QTextBrowser*>()->toPlainText().startsWith(
                "Too many errors to report."));
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        bool dontShow = false;
        dialogs::ShowLoadErrors(nullptr, QString(40000, 'x'), &dontShow);
        QVERIFY(!dontShow);
    }

    // Track Web Site proposes a site for the current folder; its definition is checked; a
    // section excluded on editing reloads the site without it; editing only the name does not
    // reload.
    void definingASiteAndExcludingASection() {
        Write("docs/inner/c.html", "<a href=\"../../gone.html\">x</a>");
        Write("docs/a.html", "<a href=\"../nowhere.html\">x</a>");
        auto browser = Started();
        QVERIFY(browser);
        CMainFrame* window = browser->Window();
        QStringList messages;
        dialogs::GDlgDefineOneSite::SetHook([&](const QString& message) {
            messages << message;
            return int(QMessageBox::Cancel);
        });
        const auto withDialog = [&](const std::function<void(dialogs::GDlgDefineOneSite*)>& act) {
            bool seen = false;
            QTimer::singleShot(0, [&] {
                auto* dialog =
                    qobject_cast<dialogs::GDlgDefineOneSite*>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                seen = true;
                act(dialog);
            });
            window->Run(kTrackSite);
            QVERIFY(seen);
        };
        SelectionCoordinator::Instance().SelectDir(site_);
        withDialog([&](dialogs::GDlgDefineOneSite* dialog) {
            QCOMPARE(dialog->Name()->text(), QString("site"));
            QCOMPARE(dialog->Directory()->text(), site_);
            QCOMPARE(dialog->HomePage()->text(), site_ + "/index.html");
            dialog->Name()->clear();
            dialog->accept();  // refused: no name
            QCOMPARE(messages.value(0), QString("Please enter a valid name for the site."));
            dialog->Name()->setText("Harbour");
            dialog->accept();
        });
        EAppSite* site = ESiteRegistry::Instance().FindTrackedSite(S(site_ + "/index.html"));
        QVERIFY(site && site->GetName() == "Harbour" && site->IsTracking());
        QCOMPARE(site->brokenLinks.size(), 2u);
        // A folder inside it is no new site; one that holds it may be.
        const auto problem = CheckSiteDefinition(
            {"docs", S(site_ + "/docs"), S(site_ + "/docs/a.html"), ""}, nullptr);
        QVERIFY(problem && problem->alreadyTracked);
        QVERIFY(!CheckSiteDefinition({"home", S(home_->path()), S(site_ + "/index.html"), ""},
                                     nullptr));
        // Editing: the docs section left out; the site reloads without its broken links.
        SelectionCoordinator::Instance().SelectFile(site_ + "/index.html");
        withDialog([&](dialogs::GDlgDefineOneSite* dialog) {
            QTimer::singleShot(0, [&] {
                auto* sections =
                    qobject_cast<dialogs::GDlgFilterFolders*>(QApplication::activeModalWidget());
                QVERIFY(sections);
                QTreeWidgetItem* root = sections->Tree()->topLevelItem(0);
                QTreeWidgetItem* docs = nullptr;
                for (int i = 0; i < root->childCount(); ++i)
                    if (root->child(i)->text(0) == "docs") docs = root->child(i);
                QVERIFY(docs);
                docs->setCheckState(0, Qt::Unchecked);
                QCOMPARE(docs->child(0)->checkState(0), Qt::Unchecked);  // inner follows
                sections->accept();
            });
            for (QPushButton* button : dialog->findChildren<QPushButton*>())
                if (button->text().contains("sections")) button->click();
            QCOMPARE(dialog->Excluded(),
                     (std::vector<std::string>{S(site_ + "/docs"), S(site_ + "/docs/inner")}));
            dialog->accept();
        });
        QVERIFY(!site->IsWholeSite());
        QCOMPARE(site->brokenLinks.size(), 0u);
        // Only the name: no reload (the web is the same objects).
        ENode* root = site->Root();
        withDialog([&](dialogs::GDlgDefineOneSite* dialog) {
            dialog->Name()->setText("Harbour Club");
            dialog->accept();
            QVERIFY(!dialog->LoadingChanged());
        });
        QCOMPARE(site->GetName(), std::string("Harbour Club"));
        QCOMPARE(site->Root(), root);
        // The server's default pages, never touched, are the same names in the same order.
        QCOMPARE(site->GetServerDefaults(), std::string(kServerDefaultNames) + ";");
        dialogs::GDlgDefineOneSite::SetHook({});
    }

    // "Set Display Options": pages read their settings when first shown and write them on OK;
    // pages never opened write nothing; Cancel writes nothing but the page shown.
    void theOptionsDialogWritesWhatItsPagesShow() {
        auto browser = Started();
        QVERIFY(browser);
        CMainFrame* window = browser->Window();
        SettingsStore& settings = SettingsStore::Instance();
        const auto stored = [&settings](const char* key) {
            return settings.ReadString(SettingsStore::kSection, key, "<none>");
        };
        const auto withOptions = [&](const std::function<void(dialogs::GDlgOptions*)>& act) {
            bool seen = false;
            QTimer::singleShot(0, [&] {
                auto* dialog =
                    qobject_cast<dialogs::GDlgOptions*>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                seen = true;
                act(dialog);
            });
            window->Run(kViewOptions);
            QVERIFY(seen);
        };
        settings.WriteInt("OptionsDlgPage", dialogs::GDlgOptions::kFolders);
        withOptions([&](dialogs::GDlgOptions* dialog) {
            QCOMPARE(dialog->ShownPage(), int(dialogs::GDlgOptions::kFolders));
            dialog->findChild<QSpinBox*>("historyLength")->setValue(40);  // at most 30
            dialog->accept();
        });
        QCOMPARE(settings.ReadInt("25FolderHistoryLength"), 30);
        QCOMPARE(stored("1ShowGoodLinks"), std::string("<none>"));
        QCOMPARE(stored("0DnDSame"), std::string("<none>"));
        // Drag & drop: a scheme sets the four lists and is found again on reopening.
        withOptions([&](dialogs::GDlgOptions* dialog) {
            dialog->ShowPage(dialogs::GDlgOptions::kDnD);
            dialog->findChild<QListWidget*>("schemes")->setCurrentRow(2);
            QCOMPARE(dialog->findChild<QComboBox*>("0DnDExe")->currentText(), QString("Show menu"));
            dialog->ShowPage(dialogs::GDlgOptions::kFileManage);
            dialog->findChild<QLineEdit*>("transferSize")->setText("5000");
            dialog->ShowPage(dialogs::GDlgOptions::kWarn);
            dialog->findChild<QCheckBox*>("1WarnOnRecycle")->setChecked(false);
            dialog->accept();
        });
        QCOMPARE(settings.ReadInt("0DnDSame"), 3);
        QCOMPARE(settings.ReadInt("100TransferSizeForProgressDlg"), 1024);
        QVERIFY(!settings.ReadBool("1WarnOnRecycle"));
        withOptions([&](dialogs::GDlgOptions* dialog) {
            QCOMPARE(dialog->ShownPage(), int(dialogs::GDlgOptions::kWarn));
            dialog->ShowPage(dialogs::GDlgOptions::kDnD);
            QCOMPARE(dialog->findChild<QListWidget*>("schemes")->currentRow(), 2);
            // No debug profile: no Troubleshooting.
            QVERIFY(dialog->Topics()->findItems("Troubleshooting", Qt::MatchRecursive).isEmpty());
            // A preset chosen, then Cancel: the window stays as it is.
            dialog->ShowPage(dialogs::GDlgOptions::kAppearance);
            dialog->findChild<QListWidget*>("presets")->setCurrentRow(0);
            QVERIFY(!dialog->findChild<QCheckBox*>("right")->isChecked());
            dialog->reject();
        });
        QVERIFY(window->RightPaneShown());
        // The links page: its filters and sort go to the links list.
        withOptions([&](dialogs::GDlgOptions* dialog) {
            dialog->ShowPage(dialogs::GDlgOptions::kDetails);
            dialog->findChild<QCheckBox*>("1ShowExtLinks")->setChecked(false);
            dialog->findChild<QRadioButton*>("descending")->click();
            dialog->accept();
        });
        QVERIFY(!settings.ReadBool("1ShowExtLinks"));
        QVERIFY(!window->ThirdPane()->Links()->List()->Filters().external);
        QCOMPARE(settings.ReadSortIndex("3LinksSortIndex").ascending, false);
    }

    // The reports: with the current folder outside every site, "Select a Tracked Site" asks
    // which; the overview counts it in a fixed-pitch text; the statistics dialog names the
    // report after the site. Edit Files asks for the HTML editor the first time only.
    void reportsAskForTheSiteAndEditFilesForTheEditor() {
        QTemporaryDir other;
        QDir().mkpath(other.path() + "/club");
        QFile page(other.path() + "/club/index.html");
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write("<a href=\"gone.html\">g</a>");
        page.close();
        auto browser = Started({"--track", site_, "--track", other.path() + "/club"});
        QVERIFY(browser);
        CMainFrame* window = browser->Window();
        SelectionCoordinator::Instance().SelectDir(home_->path());
        QString overview;
        QTimer::singleShot(0, [&] {
            QWidget* select = QApplication::activeModalWidget();
            QVERIFY(select && select->objectName() == "select-site");
            auto* sites = select->findChild<dialogs::GSiteListCB*>();
            QCOMPARE(sites->count(), 3);  // "Select site or use ...", site, club
            sites->setCurrentIndex(2);
            WhenModal<dialogs::GDlgWebOverview>([&](dialogs::GDlgWebOverview* dialog) {
                overview = dialog->Text()->toPlainText();
                QVERIFY(QFontInfo(dialog->Text()->font()).fixedPitch());
                dialog->accept();
            });
            static_cast<QDialog*>(select)->accept();
        });
        window->Run(kOverview);
        QVERIFY(overview.startsWith("Overview of the \"club\" web site:"));
        QVERIFY(overview.contains("     1 files"));
        QVERIFY(overview.contains("     1 broken links"));
        // Statistics: the report is named after the site chosen.
        SelectionCoordinator::Instance().SelectFile(site_ + "/index.html");
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<dialogs::GDlgWebStats*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QCOMPARE(dialog->Sites()->currentText(), QString("site"));
            QVERIFY(dialog->ReportPath()->text().endsWith("/temp/site.html"));
            dialog->Sites()->setCurrentIndex(2);
            QVERIFY(dialog->ReportPath()->text().endsWith("/temp/club.html"));
            dialog->reject();
        });
        window->Run(kStatistics);
        // Edit Files: the HTML editor is asked for once.
        int asked = 0;
        const auto answer = [&] {
            QTimer::singleShot(0, [&] {
                auto* chooser =
                    qobject_cast<dialogs::GDlgEditor*>(QApplication::activeModalWidget());
                if (!chooser) return;
                ++asked;
                chooser->Program()->setText("/bin/true");
                chooser->accept();
            });
        };
        answer();
        window->Run(kEditFiles);
        QCOMPARE(asked, 1);
        QCOMPARE(SettingsStore::Instance().ReadString(SettingsStore::kSection, "HtmlEditor", ""),
                 std::string("/bin/true"));
        answer();
        window->Run(kEditFiles);
        QCOMPARE(asked, 1);
    }

    // "Define List": a sorted list places what is added or changed (an empty entry too); an
    // unsorted one keeps the user's order; OK gives the list its rows and current entry; a
    // drop-down's "Define..." cancelled leaves its entry chosen.
    void definingAUserList() {
        GUserExtensibleList sorted({"b", "d"}, "Letters", true);
        sorted.UseDefaults();
        ui::GDefineListDlg letters(sorted);
        letters.AddItem("c");
        letters.AddItem("");
        letters.ChangeItem(3, "a");  // "d" becomes "a"
        QCOMPARE(letters.Rows()->currentItem()->text(), QString("a"));
        letters.accept();
        QCOMPARE(sorted.Items(),
                 (std::vector<std::string>{"", "a", "b", "c",
                                           std::string(GUserExtensibleList::DefineEntry())}));
        QCOMPARE(sorted.GetCurrent(), std::string("a"));
        ui::GUserCombo combo(GUserExtensibleList({"x.html", "y.html"}, "Pages", false));
        combo.UseDefaults();
        combo.SetCurrent("y.html");
        combo.FillControl();
        QCOMPARE(combo.currentText(), QString("y.html"));
        QTimer::singleShot(0, [] {
            auto* editor = qobject_cast<ui::GDefineListDlg*>(QApplication::activeModalWidget());
            QVERIFY(editor);
            QCOMPARE(editor->Rows()->count(), 2);  // without "Define..."
            editor->reject();
        });
        emit combo.activated(combo.count() - 1);
        QCOMPARE(combo.currentText(), QString("y.html"));
    }

    // The file pane lists the current folder with the site's marks, sorts, and reports its
    // selection; a move made through the window shows in it at once.
    void theFileListShowsTheFolderAndReportsItsSelection() {
        Write("lost.html", "<p>no page leads here</p>");
        auto browser = Started({"--track", site_});
        QVERIFY(browser);
        CMainFrame* window = browser->Window();
        views::GViewFile* files = window->Files();
        SelectionCoordinator::Instance().SelectDir(site_);
        QCOMPARE(files->Folder(), site_);
        const views::FileListModel& model = files->Model();
        QVERIFY(files->RowOf(site_ + "/index.html") >= 0);
        QVERIFY(model.index(files->RowOf(site_ + "/lost.html"), 0)
                    .data(Qt::FontRole)
                    .value<QFont>()
                    .strikeOut());  // an orphan
        QCOMPARE(model.index(files->RowOf(site_ + "/index.html"), views::GViewFile::kSize)
                     .data()
                     .toString(),
                 QString("1 KB"));
        // Each column sorts both ways; folders come first, and last when the order is turned.
        QFile lost(site_ + "/lost.html");
        QVERIFY(lost.open(QIODevice::ReadWrite));
        QVERIFY(lost.setFileTime(QDateTime::currentDateTime().addDays(-2),
                                 QFileDevice::FileModificationTime));
        lost.close();
        window->RefreshPanes();
        const auto names = [files] {
            QStringList out;
            for (int row = 0; row < files->model()->rowCount(); ++row)
                out << files->model()->index(row, 0).data().toString();
            return out.join(' ');
        };
        const struct {
            int column;
            Qt::SortOrder order;
            const char* names;
        } sorts[] = {
            {views::GViewFile::kName, Qt::AscendingOrder, "docs img new index.html lost.html"},
            {views::GViewFile::kName, Qt::DescendingOrder, "lost.html index.html new img docs"},
            {views::GViewFile::kSize, Qt::DescendingOrder, "index.html lost.html new img docs"},
            {views::GViewFile::kSize, Qt::AscendingOrder, "docs img new lost.html index.html"},
            {views::GViewFile::kDate, Qt::AscendingOrder, "docs img new lost.html index.html"},
            {views::GViewFile::kType, Qt::AscendingOrder, "docs img new index.html lost.html"},
            {views::GViewFile::kBadLinks, Qt::DescendingOrder, "lost.html index.html new img docs"},
        };
        for (const auto& sort : sorts) {
            files->sortByColumn(sort.column, sort.order);
            QCOMPARE(names(), QString(sort.names));
        }
        files->sortByColumn(views::GViewFile::kSize, Qt::AscendingOrder);
        const int last = files->model()->rowCount() - 1;
        QCOMPARE(files->model()->index(last, 0).data().toString(), QString("index.html"));
        files->SelectPaths({site_ + "/index.html", site_ + "/lost.html"});
        QCOMPARE(files->SelectedPaths().size(), 2);
        files->selectionModel()->select(
            files->model()->index(last, 0),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        QCOMPARE(SelectionCoordinator::Instance().CurrentFile(), site_ + "/index.html");
        window->ExecuteCommand(std::make_unique<ESiteMoveCommand>(
            std::vector<std::string>{(site_ + "/lost.html").toStdString()},
            (site_ + "/new").toStdString()));
        QCOMPARE(files->RowOf(site_ + "/lost.html"), -1);
        window->Action(kUndo)->trigger();
        QVERIFY(files->RowOf(site_ + "/lost.html") >= 0);
    }

    // Renamed in place (F2), a page of a tracked site keeps every link to it valid, and undo
    // gives back both; a name that is taken opens the editor again with the reason.
    void renamingInPlaceKeepsTheLinks() {
        auto browser = Started({"--track", site_});
        QVERIFY(browser);
        CMainFrame* window = browser->Window();
        views::GViewFile* files = window->Files();
        window->activateWindow();  // the editor takes keys in the active window
        QVERIFY(QTest::qWaitForWindowActive(window));
        SelectionCoordinator::Instance().SelectFile(site_ + "/docs/a.html");
        files->setCurrentIndex(files->selectionModel()->selectedRows().value(0));
        // The visible editor gets the name and Enter; the view commits from its event loop.
        auto type = [&](const QString& name) {
            QLineEdit* editor = nullptr;
            const auto visibleEditor = [&] {
                for (QLineEdit* candidate : files->findChildren<QLineEdit*>())
                    if (candidate->isVisible()) editor = candidate;
                return editor != nullptr;
            };
            QTRY_VERIFY(visibleEditor());
            editor->setText(name);
            QTest::keyClick(editor, Qt::Key_Return);  // the rename runs once the editor closed
        };
        QFile::copy(site_ + "/index.html", site_ + "/docs/taken.html");
        window->Action(kRenameFile)->trigger();
        type("taken.html");
        QTRY_COMPARE(window->StatusMessage(),
                     QString("Error: the file or folder name you entered was already in use"));
        QVERIFY(QFile::exists(site_ + "/docs/a.html"));
        // The list takes the new name from the engine's notice of it: no new reading.
        QSignalSpy resets(files->model(), &QAbstractItemModel::modelReset);
        type("intro.html");
        QTRY_VERIFY(QFile::exists(site_ + "/docs/intro.html"));
        QCOMPARE(resets.count(), 0);
        QFile index(site_ + "/index.html");
        QVERIFY(index.open(QIODevice::ReadOnly));
        QVERIFY(index.readAll().contains("href=\"docs/intro.html\""));
        QVERIFY(files->RowOf(site_ + "/docs/intro.html") >= 0);
        window->Action(kUndo)->trigger();
        QVERIFY(QFile::exists(site_ + "/docs/a.html"));
        index.close();
        QVERIFY(index.open(QIODevice::ReadOnly));
        QVERIFY(index.readAll().contains("href=\"docs/a.html\""));
        // A new folder is made and named in place at once.
        window->Action(kNewFolder)->trigger();
        QVERIFY(QFileInfo(site_ + "/docs/New Folder").isDir());
        type("chapters");
        QTRY_VERIFY(QFileInfo(site_ + "/docs/chapters").isDir());
        QVERIFY(!QFileInfo::exists(site_ + "/docs/New Folder"));
        // In the folder tree: a folder renamed in place takes the links into it along and
        // stays the current folder; the computer and its drives cannot be renamed.
        views::GViewTree* tree = window->Tree();
        SelectionCoordinator::Instance().SelectDir(site_ + "/docs");
        tree->setFocus();
        const auto treeEditor = [tree]() -> QLineEdit* {
            for (QLineEdit* candidate : tree->findChildren<QLineEdit*>())
                if (candidate->isVisible()) return candidate;
            return nullptr;
        };
        window->Action(kRenameFile)->trigger();
        QLineEdit* editor = treeEditor();
        QVERIFY(editor);
        editor->setText("guide");
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(QFileInfo(site_ + "/guide/a.html").isFile());
        index.close();
        QVERIFY(index.open(QIODevice::ReadOnly));
        QVERIFY(index.readAll().contains("href=\"guide/a.html\""));
        QTRY_COMPARE(SelectionCoordinator::Instance().CurrentFolder(), site_ + "/guide/");
        QTRY_COMPARE(tree->CurrentItemPath(), site_ + "/guide");
        SelectionCoordinator::Instance().SelectDir("/");
        tree->BeginRename();
        QVERIFY(!treeEditor());
    }

    // The file list stays true to the disk: a deleted item leaves the selection (no ghost in
    // the third pane or on the clipboard) and comes back with Undo; a rewritten page shows its
    // new size; files another program makes in the folder shown appear, in a site or not.
    void theFileListFollowsTheDisk() {
        SettingsStore::Instance().WriteBool("1WarnOnRecycle", false);
        auto browser = Started({"--track", site_});
        QVERIFY(browser);
        CMainFrame* window = browser->Window();
        views::GViewFile* files = window->Files();
        SelectionCoordinator& selection = SelectionCoordinator::Instance();
        selection.SelectFile(site_ + "/docs/a.html");
        QTRY_COMPARE(files->SelectedPaths(), QStringList{site_ + "/docs/a.html"});
        // A command the window does not carry out is never offered, whatever its rule says.
        QVERIFY(window->Action(kOpenFiles)->isEnabled());
        QVERIFY(!window->Action(kPrintFile)->isEnabled());
        window->Action(kDeleteFiles)->trigger();
        QTRY_VERIFY(!QFile::exists(site_ + "/docs/a.html"));
        QTRY_VERIFY(selection.CurrentFile() != site_ + "/docs/a.html");
        QCOMPARE(files->SelectedPaths(), QStringList{site_ + "/docs"});
        window->Action(kCopy)->trigger();
        QVERIFY(!QGuiApplication::clipboard()->text().contains("a.html"));
        window->Action(kUndo)->trigger();
        QTRY_VERIFY(QFile::exists(site_ + "/docs/a.html"));
        QTRY_VERIFY(files->RowOf(site_ + "/docs/a.html") >= 0);

        selection.SelectDir(site_);
        QTRY_VERIFY(files->RowOf(site_ + "/index.html") >= 0);
        QVERIFY(window->ExecuteCommand(
            std::make_unique<ESiteRenameCommand>(S(site_ + "/img"), S(site_ + "/pictures"))));
        const int row = files->RowOf(site_ + "/index.html");
        QTRY_COMPARE(files->Model().Record(row).size, QFileInfo(site_ + "/index.html").size());

        Write("new/made-elsewhere.html", "<p>new</p>\n");
        selection.SelectDir(site_ + "/new");
        QTRY_VERIFY(files->RowOf(site_ + "/new/made-elsewhere.html") >= 0);
        Write("new/made-later.html", "<p>later</p>\n");
        QTRY_VERIFY(files->RowOf(site_ + "/new/made-later.html") >= 0);
        const QString outside = home_->path() + "/outside";
        QDir().mkpath(outside);
        selection.SelectDir(outside);
        QFile later(outside + "/notes.txt");
        QVERIFY(later.open(QIODevice::WriteOnly));
        later.close();
        QTRY_VERIFY(files->RowOf(outside + "/notes.txt") >= 0);
    }

    // Alt+Left and Alt+Right go back and forward through the folders visited, Alt+Up and
    // Backspace (once) to the parent, Ctrl+L to a location typed with completion.
    void navigationKeysGoBackForwardUpAndToALocation() {
        auto browser = Started({"--track", site_});
        QVERIFY(browser);
        CMainFrame* window = browser->Window();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        SelectionCoordinator& selection = SelectionCoordinator::Instance();
        for (const char* folder : {"/docs", "/img", "/new"}) {
            selection.SelectDir(site_ + folder);
            QTRY_COMPARE(window->Files()->Folder(), site_ + folder);
        }
        QVERIFY(window->Action(kBack)->isEnabled());
        QVERIFY(!window->Action(kForward)->isEnabled());
        window->Files()->setFocus();  // the keys work from any pane
        QTRY_VERIFY(window->Files()->hasFocus());
        QTest::keyClick(window, Qt::Key_Left, Qt::AltModifier);
        QTRY_COMPARE(selection.CurrentFolder(), site_ + "/img/");
        QTest::keyClick(window, Qt::Key_Left, Qt::AltModifier);
        QTRY_COMPARE(selection.CurrentFolder(), site_ + "/docs/");
        QVERIFY(window->Action(kForward)->isEnabled());
        QTest::keyClick(window, Qt::Key_Right, Qt::AltModifier);
        QTRY_COMPARE(selection.CurrentFolder(), site_ + "/img/");
        // A folder removed since is passed over.
        QVERIFY(QDir(site_ + "/new").removeRecursively());
        QTest::keyClick(window, Qt::Key_Right, Qt::AltModifier);
        QTRY_COMPARE(selection.CurrentFolder(), site_ + "/img/");
        QVERIFY(!window->Action(kForward)->isEnabled());
        QTest::keyClick(window, Qt::Key_Up, Qt::AltModifier);
        QTRY_COMPARE(selection.CurrentFolder(), site_ + "/");
        // Backspace in the list goes up one level, not two.
        selection.SelectDir(site_ + "/docs");
        window->Files()->setFocus();
        QTest::keyClick(window->Files(), Qt::Key_Backspace);
        QTRY_COMPARE(selection.CurrentFolder(), site_ + "/");
        // Ctrl+L: a path typed, then Enter.
        QTest::keyClick(window, Qt::Key_L, Qt::ControlModifier);
        QLineEdit* location = window->findChild<views::GPathCB*>()->lineEdit();
        QTRY_VERIFY(location->hasFocus());
        location->setText(site_ + "/docs/a.html");
        QTest::keyClick(location, Qt::Key_Return);
        QTRY_COMPARE(selection.CurrentFile(), site_ + "/docs/a.html");
        location->setText(site_ + "/nowhere");
        QTest::keyClick(location, Qt::Key_Return);
        QTRY_VERIFY(window->StatusMessage().contains("There is no folder or file"));
    }

    // Cut and paste moves with the links kept valid; copy and paste into the same folder
    // duplicates; a cut made in another file manager (GNOME's format) pasted here is a move.
    void theClipboardMovesAndCopies() {
        auto browser = Started({"--track", site_});
        QVERIFY(browser);
        CMainFrame* window = browser->Window();
        auto& selection = SelectionCoordinator::Instance();
        selection.SelectFile(site_ + "/docs/a.html");
        window->Action(kCut)->trigger();
        // Cut, it looks faded until it is pasted.
        const views::FileListModel& rows = window->Files()->Model();
        QVERIFY(
            rows.index(rows.RowOf(site_ + "/docs/a.html"), 0).data(Qt::ForegroundRole).isValid());
        window->Action(kPaste)->trigger();  // into the folder it came from: refused
        QCOMPARE(window->StatusMessage(),
                 QString("Failed: \"paste to\" folder is the same as the \"cut from\" folder"));
        selection.SelectDir(site_ + "/new");
        window->UpdateCommands();
        QVERIFY(window->Action(kPaste)->isEnabled());
        window->Action(kPaste)->trigger();
        QVERIFY(QFile::exists(site_ + "/new/a.html"));
        QFile index(site_ + "/index.html");
        QVERIFY(index.open(QIODevice::ReadOnly));
        QVERIFY(index.readAll().contains("href=\"new/a.html\""));
        window->Action(kUndo)->trigger();
        QVERIFY(QFile::exists(site_ + "/docs/a.html"));

        selection.SelectFile(site_ + "/img/p.png");
        window->Action(kCopy)->trigger();
        selection.SelectDir(site_ + "/img");
        window->Action(kPaste)->trigger();
        QVERIFY(QFile::exists(site_ + "/img/p Copy.png"));

        auto* foreign = new QMimeData;
        foreign->setUrls({QUrl::fromLocalFile(site_ + "/img/p.png")});
        foreign->setData("x-special/gnome-copied-files",
                         "cut\n" + QUrl::fromLocalFile(site_ + "/img/p.png").toEncoded());
        QGuiApplication::clipboard()->setMimeData(foreign);
        selection.SelectDir(site_ + "/new");
        window->Action(kPaste)->trigger();
        QVERIFY(QFile::exists(site_ + "/new/p.png"));
        QVERIFY(!QFile::exists(site_ + "/img/p.png"));

        // A copy side that offers GNOME's list alone is heard too.
        auto* gnomeOnly = new QMimeData;
        gnomeOnly->setData("x-special/gnome-copied-files",
                           "copy\n" + QUrl::fromLocalFile(site_ + "/new/p.png").toEncoded());
        QGuiApplication::clipboard()->setMimeData(gnomeOnly);
        selection.SelectDir(site_ + "/img");
        window->UpdateCommands();
        QVERIFY(window->Action(kPaste)->isEnabled());
        window->Action(kPaste)->trigger();
        QVERIFY(QFile::exists(site_ + "/img/p.png"));
        QVERIFY(QFile::exists(site_ + "/new/p.png"));
    }

    // Two files dragged onto a folder of the tree move there with their links kept valid (no
    // key: the same file system moves); with Ctrl held they are copied.
    void aDropOnAFolderMovesOrCopies() {
        auto browser = Started({"--track", site_});
        QVERIFY(browser);
        CMainFrame* window = browser->Window();
        views::GViewTree* tree = window->Tree();
        SelectionCoordinator::Instance().SelectDir(site_ + "/docs");
        tree->SelectFolder(site_ + "/new");
        auto dropOn = [&](const QString& folder, const QStringList& paths,
                          Qt::KeyboardModifiers keys) {
            QStandardItem* item = tree->ItemOf(folder);
            for (QStandardItem* up = item->parent(); up; up = up->parent())
                tree->expand(up->index());
            tree->scrollTo(item->index());
            const QPoint at = tree->visualRect(item->index()).center();
            QMimeData data;
            QList<QUrl> urls;
            for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
            data.setUrls(urls);
            const Qt::DropActions actions = Qt::MoveAction | Qt::CopyAction;
            QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, keys);
            QApplication::sendEvent(tree->viewport(), &enter);
            QDragMoveEvent move(at, actions, &data, Qt::LeftButton, keys);
            QApplication::sendEvent(tree->viewport(), &move);
            QDropEvent drop(at, actions, &data, Qt::LeftButton, keys);
            QApplication::sendEvent(tree->viewport(), &drop);
        };
        Write("docs/b.html", "<a href=\"a.html\">a</a>\n");
        dropOn(site_ + "/new", {site_ + "/docs/a.html", site_ + "/docs/b.html"}, Qt::NoModifier);
        QVERIFY(QFile::exists(site_ + "/new/a.html") && QFile::exists(site_ + "/new/b.html"));
        QFile index(site_ + "/index.html");
        QVERIFY(index.open(QIODevice::ReadOnly));
        QVERIFY(index.readAll().contains("href=\"new/a.html\""));
        window->Action(kUndo)->trigger();
        QVERIFY(QFile::exists(site_ + "/docs/a.html") && !QFile::exists(site_ + "/new/a.html"));
        dropOn(site_ + "/new", {site_ + "/img/p.png"}, Qt::ControlModifier);
        QVERIFY(QFile::exists(site_ + "/new/p.png") && QFile::exists(site_ + "/img/p.png"));
        // Onto itself: nothing.
        QCOMPARE(DecideDropEffect({site_ + "/new"}, Qt::NoModifier, site_ + "/new"),
                 DropEffect::None);
        QCOMPARE(DecideDropEffect({site_ + "/index.html"}, Qt::ControlModifier | Qt::ShiftModifier,
                                  site_ + "/new"),
                 DropEffect::Link);
        // Onto the folder it is in, or into itself: refused with the reason.
        dropOn(site_, {site_ + "/docs"}, Qt::ShiftModifier);
        QCOMPARE(window->StatusMessage(), QString::fromUtf8(LoadString(268).data()));
        Write("docs/inner/c.html", "c");
        dropOn(site_ + "/docs/inner", {site_ + "/docs"}, Qt::ShiftModifier);
        QCOMPARE(window->StatusMessage(), QString::fromUtf8(LoadString(267).data()));
        QVERIFY(QFile::exists(site_ + "/docs/inner/c.html"));
    }

    // The counts of broken links the panes show are the ones `tidewright check` reports: for
    // each page in the file list, and summed below each folder in the list and the tree.
    void theBadLinkCountsMatchTheCheck() {
        Write("index.html", "<a href=\"docs/gone.html\">g</a> <a href=\"docs/a.html\">a</a>\n");
        Write("docs/a.html", "<a href=\"x.html\">x</a> <a href=\"../y.html\">y</a>\n");
        Write("docs/deep/b.html", "<img src=\"none.png\"> <a href=\"../a.html\">a</a>\n");
        Write("docs/c.html", "<a href=\"deep/b.html\">b</a> <a href=\"a.html\">a</a>\n");
        Write("docs/a.html",
              "<a href=\"x.html\">x</a> <a href=\"../y.html\">y</a> "
              "<a href=\"c.html\">c</a>\n");
        QProcess check;
        check.start(TW_CLI, {"check", site_, "--format", "json"});
        QVERIFY(check.waitForFinished(30000));
        const QJsonObject report = QJsonDocument::fromJson(check.readAllStandardOutput()).object();
        QMap<QString, int> expected;  // page or folder -> broken links
        for (const QJsonValue& link : report["brokenLinks"].toArray()) {
            QString path = link.toObject()["page"].toString();
            expected[path] += 1;
            while ((path = QFileInfo(path).absolutePath()).startsWith(site_ + "/"))
                expected[path] += 1;
        }
        QCOMPARE(expected.value(site_ + "/docs"), 3);

        auto browser = Started({"--track", site_});
        QVERIFY(browser);
        CMainFrame* window = browser->Window();
        const auto listed = [window](const QString& folder) {
            QMap<QString, int> counts;
            SelectionCoordinator::Instance().SelectDir(folder);
            const views::FileListModel& rows = window->Files()->Model();
            for (int row = 0; row < rows.rowCount(); ++row) {
                const QString count =
                    rows.index(row, views::GViewFile::kBadLinks).data().toString();
                if (!count.isEmpty()) counts[rows.Record(row).path] = count.toInt();
            }
            return counts;
        };
        QMap<QString, int> shown = listed(site_);
        shown.insert(listed(site_ + "/docs"));
        shown.insert(listed(site_ + "/docs/deep"));
        QCOMPARE(shown, expected);
        views::GViewTree* tree = window->Tree();
        for (const QString& folder : {site_ + "/docs", site_ + "/docs/deep"})
            QCOMPARE(tree->ItemOf(folder)->data(views::GViewTree::kBrokenRole).toInt(),
                     expected.value(folder));
        QVERIFY(!tree->ItemOf(site_ + "/img")->data(views::GViewTree::kBrokenRole).isValid());
    }

    // "My Computer" lists the drives in the file pane; opening one shows its folders.
    void theComputerLevelListsTheDrives() {
        auto browser = Started();
        QVERIFY(browser);
        CMainFrame* window = browser->Window();
        SelectionCoordinator::Instance().SelectDir("");
        QVERIFY(window->Drives()->isVisible());
        QVERIFY(window->Drives()->topLevelItemCount() >= 1);
        QTreeWidgetItem* root = window->Drives()->topLevelItem(0);
        emit window->Drives()->itemActivated(root, 0);
        QVERIFY(window->Files()->isVisible());
        QCOMPARE(window->Files()->Folder() + "/",
                 root->data(views::GViewComputer::kName, views::GViewComputer::kPathRole)
                         .toString()
                         .replace(QRegularExpression("/+$"), "") +
                     "/");
    }

    void tabMovesTheFocusFromPaneToPane() {
        auto browser = Started();
        QVERIFY(browser);
        CMainFrame* window = browser->Window();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        window->Pane(0)->View()->setFocus();
        const int order[] = {1, 2, 0};
        for (int pane : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QVERIFY(window->Pane(pane)->isAncestorOf(QApplication::focusWidget()));
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QVERIFY(window->Pane(2)->isAncestorOf(QApplication::focusWidget()));
        window->ShowRightPane(false);  // a hidden third pane is passed over
        window->Pane(1)->View()->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
        QVERIFY(window->Pane(0)->isAncestorOf(QApplication::focusWidget()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
        QVERIFY(window->Pane(1)->isAncestorOf(QApplication::focusWidget()));
    }

    void helpTopicsOpenTheHelpPages() {
        auto browser = Started();
        QVERIFY(browser);
        browser->Window()->Action(kHelpTopics)->trigger();
        QTextBrowser* viewer = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* found = qobject_cast<QTextBrowser*>(widget); found && found->isVisible())
                viewer = found;
        QVERIFY(viewer);
        QCOMPARE(viewer->documentTitle(), QString("Tidewright Help"));
        browser->Window()->Action(kShortcuts)->trigger();
        QCOMPARE(viewer->documentTitle(), QString("Command Shortcuts List"));
        viewer->close();
    }

    void aProgressDialogCancelledMidwayStopsTheLoad() {
        auto browser = Started();
        QVERIFY(browser);
        for (int i = 0; i < 40; ++i) Write(QString("p%1.html").arg(i), "<a href=index.html>i</a>");
        // Cancel is pressed in the first progress window that shows.
        int cancels = 0;
        QTimer presser;
        connect(&presser, &QTimer::timeout, [&] {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* dialog = qobject_cast<QProgressDialog*>(widget);
                    dialog && dialog->isVisible() && cancels == 0) {
                    ++cancels;
                    dialog->cancel();
                }
        });
        presser.start(0);
        EAppSite* site = browser->Window()->TrackSite(site_);
        presser.stop();
        QCOMPARE(cancels, 1);
        QVERIFY(!site);
        EAppSite* defined = ESiteRegistry::Instance().Sites().back().get();
        QCOMPARE(defined->GetLoadState(), LoadState::Cancelled);
        QVERIFY(!defined->IsTracking());
        // Said on the status line: the site's marks and counts are gone with it.
        QVERIFY(browser->Window()->StatusMessage().contains("was cancelled: it is not tracked"));
    }

    void aSecondStartHandsOverItsArguments() {
        auto browser = Started();
        QVERIFY(browser);
        // A maximized window stays maximized when a second start brings it to the front.
        browser->Window()->showMaximized();
        QTRY_VERIFY(browser->Window()->isMaximized());
        QProcess second;
        second.start(TW_GUI, {"--track", site_});
        // The first instance answers from its event loop while the second waits for it.
        QTRY_VERIFY_WITH_TIMEOUT(
            ESiteRegistry::Instance().FindTrackedSite((site_ + "/index.html").toStdString()),
            10000);
        QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, 10000);
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QVERIFY(browser->Window()->isMaximized());
    }

    void aBurstOfChangesGivesOneReloadQuestion() {
        auto browser = Started({"--track", site_});
        QVERIFY(browser);
        CMainFrame* window = browser->Window();
        int questions = 0;
        EQtServices::SetAnswerHook([&](const QString& text) {
            if (text.contains("has been modified")) ++questions;
            return int(QMessageBox::Yes);
        });
        QSignalSpy checked(window, &CMainFrame::ReloadChecked);
        QSignalSpy reported(&window->Notifier(), &ChangeNotifier::Changed);
        // Changes while the user works in the window are the window's own: no question.
        Write("docs/while-active.html", "<a href=\"../index.html\">home</a>\n");
        QTRY_VERIFY(reported.count() >= 1);
        window->SetApplicationActive(true);
        QCOMPARE(questions, 0);
        // Changes made by another program while the window was in the background.
        window->SetApplicationActive(false);
        for (int i = 0; i < 5; ++i) Write(QString("docs/b%1.html").arg(i), "<p>new</p>\n");
        Write("index.html", "<a href=\"docs/a.html\">A</a> <a href=docs/b0.html>B</a>\n");
        QTRY_VERIFY(ESiteRegistry::Instance().IsChanged());
        window->SetApplicationActive(true);
        QCOMPARE(questions, 1);
        QCOMPARE(checked.count(), 1);
        // The reload answered Yes: the new page is in the site.
        EAppSite* site =
            ESiteRegistry::Instance().FindTrackedSite((site_ + "/index.html").toStdString());
        QVERIFY(site && site->FindExactNode((site_ + "/docs/b0.html").toStdString()));
    }
};

QTEST_MAIN(AppTest)
#include "AppTest.moc"
