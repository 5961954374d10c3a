#include "shell/CVandApp.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QStandardPaths>

#include "core/AtomicFile.h"
#include "core/Samples.h"
#include "measure/MeasureCommands.h"
#include "shell/CDlg_Layer.h"
#include "shell/CInitDlg.h"
#include "shell/CommandIcons.h"
#include "shell/CMainFrame.h"
#include "document/TempFolder.h"
#include "shell/ShellTexts.h"
#include "core/CommandIds.h"

namespace quillory {

namespace {

// The program's icon: the installed one of the desktop's theme, else the one built in, else
// a quill-blue tile with the initial where no SVG support is installed.
QIcon ProgramIcon() {
    PrepareIconThemes();
    const QIcon builtIn(QStringLiteral(":/icons/org.quillory.Quillory.svg"));
    if (!builtIn.pixmap(32, 32).isNull()) return QIcon::fromTheme(QStringLiteral("org.quillory.Quillory"), builtIn);
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(40, 90, 170));
    painter.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
    QFont font = painter.font();
    font.setPixelSize(22);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 0, 32, 32), Qt::AlignCenter, "Q");
    return QIcon(pixmap);
}

}  // namespace

CVandApp::CVandApp() { m_previousPlatform = InstallPlatform(&m_platform); }

CVandApp::~CVandApp() {
    delete m_frame;
    if (m_qtTranslation) QCoreApplication::removeTranslator(m_qtTranslation.get());
    InstallPlatform(m_previousPlatform);
}

bool CVandApp::InitInstance(const StartOptions& options) {
    // The per-user settings store, with the recent-file list and the tool-bar layout.
    QCoreApplication::setOrganizationName(QString::fromUtf8(shelltexts::kSettingsKey));
    QCoreApplication::setApplicationName("Quillory");
    // No application display name: Qt would append it to every dialog's title.
    LoadQtTranslation();
    RegisterBuiltInSamples();
    InstallMeasurement();
    QApplication::setWindowIcon(ProgramIcon());
    // Task bars and docks match the windows to the installed menu entry by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quillory.Quillory"));

    // The per-user program directory: QUILLORY_HOME, else the user's data directory.
    const std::filesystem::path programDir = TempFolder::UserDataDirectory();
    std::error_code ec;
    std::filesystem::create_directories(programDir, ec);
    // Settings writes that a crash or a kill cut short left their temporary files here.
    RemoveStaleTemporaries(programDir.string());

    m_frame = new CMainFrame(programDir);
    m_frame->SetApplicationTarget(this);
    m_frame->SetFrameTitle(QString::fromUtf8(shelltexts::kUpdateCheckTitle));
    m_platform.SetProgressBar(m_frame->progressBar());

    const bool namedFile = !options.arguments.isEmpty() && !options.arguments.first().isEmpty();
    // A named file that cannot be opened has shown its message; the editor stays, without a picture.
    if (namedFile) m_frame->OpenDocument(options.arguments.first());
    else if (!m_frame->NewDocument()) return false;

    if (options.maximised) {
        // Without a window manager a maximised window keeps its size; start it at the screen's size.
        if (QScreen* screen = QGuiApplication::primaryScreen()) m_frame->setGeometry(screen->availableGeometry());
        m_frame->showMaximized();
    }
    else {
        m_frame->resize(options.size);
        m_frame->show();
    }
    m_frame->setAcceptDrops(true);

    // The undo files of this run live in a folder of this process below "tmp";
    // opening it removes what ended runs left behind.
    TempFolder::ForProcess();
    QDir::setCurrent(QString::fromStdString(programDir.string()));

    if (options.showSplash) {
        CInitDlg splash(m_frame);
        splash.exec();
    }

    m_frame->CreateToolWindows();
    m_frame->SetFrameTitle(QString::fromUtf8(shelltexts::kAppTitle));

    if (!namedFile && m_frame->env().openDialogAtStart) m_frame->Dispatch(cmd::kFileOpen);
    return true;
}

void CVandApp::LoadQtTranslation() {
    // The editor speaks Korean whatever the desktop's language: so do Qt's own dialogs and buttons.
    if (m_qtTranslation) return;
    auto translator = std::make_unique<QTranslator>();
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QLocale(QLocale::Korean, QLocale::SouthKorea), "qtbase", "_", folder)) return;
    QCoreApplication::installTranslator(translator.get());
    m_qtTranslation = std::move(translator);
}

bool CVandApp::OnCommand(int) { return false; }

bool CVandApp::OnUpdateCommand(int, CommandState&) { return false; }

}  // namespace quillory
