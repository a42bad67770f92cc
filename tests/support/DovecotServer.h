#pragma once

#include "TestSupport.h"

#include "AiosmtpdServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

// A real IMAP server for the tests: Debian's dovecot-imapd on 127.0.0.1,
// with a configuration of its own in a private folder (its base folder, a
// passwd-file with one user, that user's maildir), listening on a STARTTLS
// port and an implicit-TLS port. Started as root it runs its login and
// mail processes as Debian's dovenull and dovecot users. Stopped when
// destroyed.
class DovecotServer
{
public:
    static constexpr const char *kUser = "owner";
    static constexpr const char *kPassword = "s3cret-pw";

    DovecotServer()
    {
        for (const char *sub : {"/new", "/cur", "/tmp"})
            QDir().mkpath(maildir() + QLatin1String(sub));
    }
    ~DovecotServer() { stop(); }

    // False when this machine has no dovecot (tests skip then).
    static bool installed() { return QFile::exists(QStringLiteral("/usr/sbin/dovecot")); }

    // `certificate` names the server certificate of make_test_certs.py
    // ("good", "untrusted", ...); empty: no TLS at all. False, with the
    // reason in error(), when it cannot run.
    bool start(const QString &certificate = QStringLiteral("good"))
    {
        if (!installed())
            return fail(QStringLiteral("/usr/sbin/dovecot is missing (dovecot-imapd)"));
        if (!m_dir.isValid())
            return fail(QStringLiteral("no temporary folder"));
        // The login processes of a server started as root run as dovenull
        // and must reach the base folder inside this one.
        QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                QFile::ExeGroup | QFile::ExeOther);
        const QString certs = m_dir.filePath(QStringLiteral("certs"));
        QDir().mkpath(certs);
        if (!certificate.isEmpty() && !makeTestCertificates(certs))
            return fail(QStringLiteral("the test certificates could not be made"));
        m_caFile = certs + QStringLiteral("/ca.pem");
        {
            QTcpServer first;
            QTcpServer second;
            if (!first.listen(QHostAddress::LocalHost, 0) ||
                !second.listen(QHostAddress::LocalHost, 0))
                return fail(QStringLiteral("no free port"));
            m_port = first.serverPort();
            m_tlsPort = second.serverPort();
        }
        const bool root = ::geteuid() == 0;
        const QByteArray self = userName(::geteuid());
        const QByteArray selfGroup = groupName(::getegid());
        const passwd *mailUser = root ? ::getpwnam("dovecot") : ::getpwuid(::geteuid());
        if (!mailUser)
            return fail(QStringLiteral("no dovecot user"));
        m_uid = mailUser->pw_uid;
        m_gid = mailUser->pw_gid;
        const QString base = m_dir.filePath(QStringLiteral("base"));
        QByteArray config;
        config += "base_dir = " + QFile::encodeName(base) + "\n";
        config += "state_dir = " + QFile::encodeName(base) + "/state\n";
        config += "instance_name = tavelin-test-" + QByteArray::number(m_port) + "\n";
        config +=
            "log_path = " + QFile::encodeName(m_dir.filePath(QStringLiteral("dovecot.log"))) + "\n";
        config += "protocols = imap\nlisten = 127.0.0.1\n";
        config += "default_login_user = " + (root ? QByteArray("dovenull") : self) + "\n";
        config += "default_internal_user = " + (root ? QByteArray("dovecot") : self) + "\n";
        config += "default_internal_group = " + (root ? QByteArray("dovecot") : selfGroup) + "\n";
        config += "first_valid_uid = 1\nfirst_valid_gid = 1\n";
        config += "auth_failure_delay = 0\nauth_mechanisms = plain login\n";
        if (certificate.isEmpty()) {
            config += "ssl = no\ndisable_plaintext_auth = no\n";
        } else {
            config += "ssl = yes\n";
            config += "ssl_cert = <" + QFile::encodeName(certs + u'/' + certificate) + ".pem\n";
            config += "ssl_key = <" + QFile::encodeName(certs + u'/' + certificate) + ".key\n";
            config += "disable_plaintext_auth = yes\n";
        }
        const QByteArray passwd = QFile::encodeName(m_dir.filePath(QStringLiteral("passwd")));
        config += "passdb {\n  driver = passwd-file\n  args = scheme=PLAIN username_format=%u " +
                  passwd + "\n}\n";
        config +=
            "userdb {\n  driver = passwd-file\n  args = username_format=%u " + passwd + "\n}\n";
        config += "mail_location = maildir:" + QFile::encodeName(maildir()) + "\n";
        config += "service imap-login {\n  chroot =\n  inet_listener imap {\n    port = " +
                  QByteArray::number(m_port) + "\n  }\n  inet_listener " +
                  (certificate.isEmpty() ? "imapalt" : "imaps") +
                  " {\n    port = " + QByteArray::number(m_tlsPort) + "\n" +
                  (certificate.isEmpty() ? "" : "    ssl = yes\n") + "  }\n}\n";
        config += "service anvil {\n  chroot =\n}\n";
        config += "service auth {\n  user = $default_internal_user\n}\n";
        if (!writeAll(m_dir.filePath(QStringLiteral("dovecot.conf")), config) ||
            !writeAll(QString::fromLocal8Bit(passwd),
                      QByteArray(kUser) + ":{PLAIN}" + kPassword + ':' + QByteArray::number(m_uid) +
                          ':' + QByteArray::number(m_gid) +
                          "::" + QFile::encodeName(m_dir.filePath(QStringLiteral("home"))) + "\n"))
            return fail(QStringLiteral("the configuration could not be written"));
        QDir().mkpath(m_dir.filePath(QStringLiteral("home")));
        giveToMailUser(m_dir.filePath(QStringLiteral("home")));
        giveToMailUser(m_dir.filePath(QStringLiteral("mail")));

        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral("/usr/sbin/dovecot"),
                        {QStringLiteral("-F"), QStringLiteral("-c"),
                         m_dir.filePath(QStringLiteral("dovecot.conf"))});
        if (!m_process.waitForStarted(5000))
            return fail(QStringLiteral("dovecot did not start"));
        const QDeadlineTimer deadline(15000);
        while (!deadline.hasExpired()) {
            if (m_process.state() != QProcess::Running)
                return fail(QStringLiteral("dovecot ended at start: ") + log());
            QTcpSocket a;
            QTcpSocket b;
            a.connectToHost(QHostAddress::LocalHost, m_port);
            b.connectToHost(QHostAddress::LocalHost, m_tlsPort);
            if (a.waitForConnected(200) && b.waitForConnected(200))
                return true;
            QThread::msleep(50);
        }
        return fail(QStringLiteral("dovecot did not listen within 15 s"));
    }

    void stop() { stopProcess(m_process); }

    // Delivers a mail into the maildir's new/ (as a mail server would).
    bool deliver(const QByteArray &mail, const QString &flags = {})
    {
        const QString name = QStringLiteral("%1.M%2P%3.tavelin-test")
                                 .arg(1700000000 + m_delivered)
                                 .arg(m_delivered)
                                 .arg(::getpid());
        ++m_delivered;
        const QString path = flags.isEmpty() ? maildir() + QStringLiteral("/new/") + name
                                             : maildir() + QStringLiteral("/cur/") + name +
                                                   QStringLiteral(":2,") + flags;
        if (!writeAll(path, mail))
            return false;
        giveToMailUser(path);
        return true;
    }

    // The names of the mails in a folder of the maildir ("" for INBOX),
    // new/ and cur/ together, each with its flags (":2,S").
    QStringList mails(const QString &folder = {}) const
    {
        const QString root =
            folder.isEmpty() ? maildir() : maildir() + QStringLiteral("/.") + folder;
        QStringList names;
        for (const char *sub : {"/new", "/cur"}) {
            const QDir dir(root + QLatin1String(sub));
            for (const QString &name : dir.entryList(QDir::Files, QDir::Name))
                names.append(name);
        }
        return names;
    }

    // Gives the INBOX a new UIDVALIDITY, as a server does when it rebuilds
    // its index: every mail gets a new UID. The server must be stopped.
    bool renumber()
    {
        const QString list = maildir() + QStringLiteral("/dovecot-uidlist");
        QFile file(list);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        QByteArrayList lines = file.readAll().split('\n');
        file.close();
        QByteArrayList header = lines.value(0).split(' ');
        for (QByteArray &word : header) {
            if (word.startsWith('V'))
                word = 'V' + QByteArray::number(word.mid(1).toULongLong() + 1000);
        }
        lines[0] = header.join(' ');
        // Dovecot's indexes would keep the old value: they go.
        QDir dir(maildir());
        for (const QString &index : dir.entryList({QStringLiteral("dovecot.index*")}, QDir::Files))
            dir.remove(index);
        return writeAll(list, lines.join('\n'));
    }

    quint16 port() const { return m_port; }       // STARTTLS
    quint16 tlsPort() const { return m_tlsPort; } // TLS from the first byte
    const QString &caFile() const { return m_caFile; }
    const QString &error() const { return m_error; }
    QString maildir() const { return m_dir.filePath(QStringLiteral("mail")); }
    QString log() const
    {
        QFile file(m_dir.filePath(QStringLiteral("dovecot.log")));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

private:
    bool fail(const QString &why)
    {
        m_error = why;
        stop();
        return false;
    }

    static bool writeAll(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
               file.write(bytes) == bytes.size();
    }

    static QByteArray userName(uid_t uid)
    {
        const passwd *entry = ::getpwuid(uid);
        return entry ? QByteArray(entry->pw_name) : QByteArray::number(uid);
    }

    static QByteArray groupName(gid_t gid)
    {
        const group *entry = ::getgrgid(gid);
        return entry ? QByteArray(entry->gr_name) : QByteArray::number(gid);
    }

    // Root made the files; the mail processes run as the mail user.
    void giveToMailUser(const QString &path) const
    {
        if (::geteuid() != 0)
            return;
        if (::chown(QFile::encodeName(path).constData(), m_uid, m_gid) != 0)
            return;
        QDirIterator it(path, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QByteArray name = QFile::encodeName(it.next());
            if (::chown(name.constData(), m_uid, m_gid) != 0)
                return;
        }
    }

    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
    quint16 m_tlsPort = 0;
    uid_t m_uid = 0;
    gid_t m_gid = 0;
    int m_delivered = 0;
    QString m_caFile;
    QString m_error;
};
