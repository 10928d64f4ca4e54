#include "core/files/folders.h"
#include "core/base/language.h"

#include "core/base/runtime.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace zentova
{

namespace
{
QString g_appFolder;
QString g_userDataFolder;
QString g_dataFolder; // decided once a run

// A program folder whose name is no UTF-8 (code page 932 bytes, say) has no
// name the program can open files by: its data is not used, and the run
// says so once rather than keep the day elsewhere without a word.
void sayWhereANamelessFolderSendsTheData(const QString &data)
{
    const QByteArray folder = programFolderBytes();
    if (folder.isEmpty() || QFile::encodeName(QFile::decodeName(folder)) == folder)
        return;
    std::fprintf(
        stderr, "zentova: %s\n",
        qPrintable(translate("Files", "プログラムのフォルダー名が UTF-8 ではないため、その中の "
                                      "Countdata.dat は使えません。データは %1 に置きます "
                                      "(the program's folder name is not UTF-8: the data "
                                      "is kept in %1).")
                       .arg(QDir::toNativeSeparators(data))));
}
} // namespace

QByteArray programFolderBytes()
{
    char exe[4096];
    const ssize_t length = ::readlink("/proc/self/exe", exe, sizeof exe);
    if (length <= 0 || length == ssize_t(sizeof exe))
        return QByteArray();
    const QByteArray path(exe, length);
    return path.left(path.lastIndexOf('/'));
}

QString appFolder()
{
    if (!g_appFolder.isEmpty())
        return g_appFolder;
    // A command that makes no application object asks the system itself.
    if (!QCoreApplication::instance())
        return QDir::cleanPath(QFile::decodeName(programFolderBytes()));
    return QDir::cleanPath(QCoreApplication::applicationDirPath());
}

void setAppFolder(const QString &folder)
{
    g_appFolder = folder;
    g_dataFolder.clear();
}

QString userDataFolder()
{
    if (!g_userDataFolder.isEmpty())
        return g_userDataFolder;
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
}

void setUserDataFolder(const QString &folder)
{
    g_userDataFolder = folder;
    g_dataFolder.clear();
}

bool folderIsWritable(const QString &folder)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return false;
    QTemporaryFile probe(folder + QStringLiteral("/.zentova-probe-XXXXXX"));
    return probe.open();
}

bool folderIsPrivate(const QString &folder)
{
    struct stat st = {};
    if (::stat(QFile::encodeName(folder).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    if (st.st_uid != ::geteuid() && st.st_uid != 0)
        return false;
    // Any account but ours that can write here could plant a link or a
    // plugin: others, or a group, whichever group it is (ours may hold
    // other accounts too).
    return !(st.st_mode & (S_IWOTH | S_IWGRP));
}

bool folderAndParentsArePrivate(const QString &folder)
{
    QString path = QFileInfo(folder).absoluteFilePath();
    for (bool leaf = true;; leaf = false) {
        // Above the folder itself, a shared folder with the sticky bit (/tmp)
        // lets nobody rename or remove what another account made in it.
        struct stat st = {};
        const bool sticky = !leaf && ::stat(QFile::encodeName(path).constData(), &st) == 0 &&
                            (st.st_mode & S_ISVTX);
        if (!sticky && !folderIsPrivate(path))
            return false;
        const QString parent = QFileInfo(path).path();
        if (parent == path)
            return true;
        path = parent;
    }
}

bool isInstalledLocation(const QString &folder)
{
    return QFileInfo(folder).fileName() == QLatin1String("bin") &&
           QFileInfo(folder + QStringLiteral("/../share/zentova")).isDir();
}

QStringList qtFilesIn(const QString &folder)
{
    // Qt puts the program's folder last on its plugin path, where a plugin
    // replaces one of the same key found before it, and reads a qt.conf there
    // before any plugin path is known.
    static const QStringList names{QStringLiteral("qt.conf"),
                                   QStringLiteral("qt6.conf"),
                                   QStringLiteral("platforms"),
                                   QStringLiteral("platformthemes"),
                                   QStringLiteral("platforminputcontexts"),
                                   QStringLiteral("xcbglintegrations"),
                                   QStringLiteral("wayland-shell-integration"),
                                   QStringLiteral("wayland-decoration-client"),
                                   QStringLiteral("wayland-graphics-integration-client"),
                                   QStringLiteral("egldeviceintegrations"),
                                   QStringLiteral("generic"),
                                   QStringLiteral("styles"),
                                   QStringLiteral("imageformats"),
                                   QStringLiteral("iconengines"),
                                   QStringLiteral("accessiblebridge"),
                                   QStringLiteral("multimedia"),
                                   QStringLiteral("tls"),
                                   QStringLiteral("networkinformation")};
    QStringList found;
    for (const QString &name : names) {
        if (QFileInfo::exists(folder + u'/' + name) || QFileInfo(folder + u'/' + name).isSymLink())
            found << name;
    }
    return found;
}

QString refusalToStartFrom(const QString &folder)
{
    if (folder.isEmpty() || folderIsPrivate(folder))
        return QString();
    const QStringList planted = qtFilesIn(folder);
    QString text =
        translate("Files", "%1 は他のアカウントも書き込めるフォルダーです。Qt は起動の途中で"
                           "このフォルダーから設定やプラグインを読み込むため、ここからは"
                           "起動しません。自分専用のフォルダーに置いてください (a folder "
                           "others can write: Qt would load what they put there while "
                           "the program starts).")
            .arg(folder);
    if (!planted.isEmpty())
        text += translate("Files", " 置かれているもの (found there): %1")
                    .arg(planted.join(QStringLiteral(", ")));
    return text;
}

bool dataBesideProgram()
{
    const QString app = appFolder();
    return !isInstalledLocation(app) && folderIsPrivate(app) && folderIsWritable(app);
}

QString dataFolder()
{
    if (!g_dataFolder.isEmpty())
        return g_dataFolder;
    const QString app = appFolder();
    const QString user = userDataFolder();
    if (dataBesideProgram())
        g_dataFolder = app;
    else if (!user.isEmpty() && QDir().mkpath(user) && folderIsWritable(user))
        g_dataFolder = user;
    else if (folderIsPrivate(app) || user.isEmpty())
        g_dataFolder = app;
    else
        g_dataFolder = user; // its errors show; a shared folder is never used
    if (g_appFolder.isEmpty() && g_dataFolder != app)
        sayWhereANamelessFolderSendsTheData(g_dataFolder);
    return g_dataFolder;
}

void requireRegularFileOrMissing(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink() && !info.exists())
        return;
    if (info.exists() && !info.isFile())
        raiseError(ErrorCode::PathFileAccessError);
}

QStringList moduleCandidates(const QString &programFolder, const QString &fileName)
{
    // Never a folder that merely sits beside a shared one (/tmp/lib/...).
    QStringList candidates;
    if (folderIsPrivate(programFolder))
        candidates << programFolder + u'/' + fileName;
    const QString installed =
        QDir::cleanPath(programFolder + QStringLiteral("/" ZENTOVA_PLUGIN_FROM_BIN));
    if (installed != programFolder && folderAndParentsArePrivate(installed))
        candidates << installed + u'/' + fileName;
    return candidates;
}

QString installedChimePath()
{
    const QString besideInstall =
        QDir::cleanPath(appFolder() + QStringLiteral("/../share/zentova/Chimes.wav"));
    return QFileInfo(besideInstall).isFile() ? besideInstall : QString();
}

} // namespace zentova
