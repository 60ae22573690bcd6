#pragma once

#include <memory>

#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <fcntl.h>
#include <linux/fs.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include "otc/Form3.h"
#include "prescription/Form1.h"
#include "support/ProgramFixture.h"
#include "support/TestData.h"

using namespace Qt::Literals::StringLiterals;

// How a folder or file is made unwritable. The tests run as root, for whom permission
// bits stop nothing, so only what also stops root is used:
//  - "is a file": a regular file stands where the folder should be; every write
//    below it fails with "not a directory", on any file system, for any user;
//  - "immutable": the file system's immutable attribute (what chattr +i sets), which
//    root cannot write through either; where the file system or the process's
//    capabilities do not offer it, the row is skipped;
//  - "size limit": the process's soft file-size limit (RLIMIT_FSIZE) is lowered
//    around the command, with SIGXFSZ ignored, so a write stops part-way with EFBIG
//    as on a full disk. The save runs inside the window's handler, so the limit is
//    set in this process and not in a forked child (a fork carries none of Qt's
//    other threads); only the soft limit changes, which the process may raise again.
namespace Fault {

inline bool setImmutable(const QString &path, bool on)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return ok;
}

// Keeps a file or folder immutable for its lifetime.
class Immutable {
public:
    explicit Immutable(const QString &path) : m_path(path), m_set(setImmutable(path, true)) {}
    ~Immutable()
    {
        if (m_set)
            setImmutable(m_path, false);
    }
    Immutable(const Immutable &) = delete;
    Immutable &operator=(const Immutable &) = delete;
    // Set, and it really refuses a new entry (a folder) or a rewrite (a file).
    bool Holds() const
    {
        if (!m_set)
            return false;
        if (QFileInfo(m_path).isDir()) {
            QFile probe(m_path + u"/.probe"_s);
            if (probe.open(QIODevice::WriteOnly)) {
                probe.remove();
                return false;
            }
            return true;
        }
        QFile probe(m_path);
        return !probe.open(QIODevice::ReadWrite);
    }

private:
    QString m_path;
    bool m_set;
};

// Lowers the soft file-size limit for its lifetime.
class SizeLimit {
public:
    explicit SizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_before);
        m_oldHandler = ::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = m_before;
        lowered.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~SizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_before);
        ::signal(SIGXFSZ, m_oldHandler);
    }
    SizeLimit(const SizeLimit &) = delete;
    SizeLimit &operator=(const SizeLimit &) = delete;

private:
    rlimit m_before{};
    sighandler_t m_oldHandler = SIG_DFL;
};

} // namespace Fault

// One user's program folder, working folder and document library, and the practice
// service with every route.
using FaultFixture = ProgramFixture;

// One of the two search windows, shown: "Form3", or "Form1" for anything else.
inline std::unique_ptr<QWidget> openSearchWindow(FaultFixture &f, const QString &window)
{
    std::unique_ptr<QWidget> form;
    if (window == u"Form3"_s)
        form = std::make_unique<Form3>(f.context);
    else
        form = std::make_unique<Form1>(f.context);
    form->show();
    return form;
}

// Starts the download of the chosen hit as the user does, answering the dialogs:
// "Form6" through the revision history (its first entry), "Form1" through
// "文書表示" and the document choice, anything else through the OTC window's
// "文書表示".
inline void startDownload(FaultFixture &f, QWidget *form, const QString &window)
{
    if (window == u"Form6"_s) {
        f.onModal([](QDialog *dialog) {
            clickRow(child<QListWidget>(dialog, "List1"), 0);
            click(dialog, u"Command2"_s);
            click(dialog, u"Command1"_s);
        });
        click(form, u"Command6"_s);
    } else if (window == u"Form1"_s) {
        f.onModal([](QDialog *dialog) { click(dialog, u"Command1"_s); });
        click(form, u"Command2"_s);
    } else {
        click(form, u"Command4"_s);
    }
}
