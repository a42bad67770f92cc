#pragma once

#include <QIODevice>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class QFile;

// Returned mails in bulk: files, folders (every plain file in them), maildirs
// (cur/ and new/) and mbox files (recognised by their "From " first line), in
// any mix. Every mail is handed over once, as a device of its own; an mbox is
// read in a stream, never whole.

// A stretch of a file as a device of its own: one message of an mbox, or a
// whole file as large as it was when opened.
class FileRange : public QIODevice
{
public:
    // file: open, unbuffered; it must outlive this device.
    FileRange(QFile &file, qint64 start, qint64 end);
    bool isSequential() const override { return false; }
    qint64 size() const override { return m_end - m_start; }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QFile &m_file;
    qint64 m_start;
    qint64 m_end;
};

// A mail that could not be read, or a path that gave none.
struct BatchProblem
{
    QString what; // the path, with the message's place in an mbox ("box, at byte N")
    QString error;
};

class BounceTally;

class MailBatch
{
public:
    // The mails of the paths, found now; a path that is no mail, folder or
    // mbox is a problem.
    explicit MailBatch(const QStringList &paths);

    // How many bytes the files found hold, for progress.
    qint64 totalBytes() const { return m_totalBytes; }
    int fileCount() const { return int(m_files.size()); }

    // Hands every mail to take, with its name for messages (the path, with
    // the place in an mbox); progress is told the bytes done so far after
    // each mail, and stops the run by returning false. False when stopped.
    using Take = std::function<void(QIODevice &mail, const QString &what)>;
    using Progress = std::function<bool(qint64 done, qint64 total)>;
    bool run(const Take &take, const Progress &progress = {});

    // Paths and mails that could not be read, in the order met.
    const QList<BatchProblem> &problems() const { return m_problems; }
    // The number (from 0) of the mail being handed over, during take.
    qsizetype mailNumber() const { return m_handed; }
    // Takes note of a mail the caller could not read: the one handed over
    // as number `mail`. It goes in its place among the problems of
    // the batch's own, also when the caller reads mails after handing them on.
    void addProblem(qsizetype mail, const QString &what, const QString &error);

private:
    void noteProblem(const QString &what, const QString &error);
    void addProblemAt(qint64 place, const QString &what, const QString &error);
    void hand(const Take &take, QIODevice &mail, const QString &what);
    void addPath(const QString &path, bool named);
    void addFolder(const QString &path);
    bool readFile(const QString &path, qint64 &done, const Take &take, const Progress &progress);
    bool readMbox(QFile &file, const QString &path, qint64 size, qint64 &done, const Take &take,
                  const Progress &progress);

    QStringList m_files;
    qint64 m_totalBytes = 0;
    QList<BatchProblem> m_problems;
    // Of each problem, its place in the run: 2n when met before mail n was
    // handed over, 2n + 1 for mail n's own.
    QList<qint64> m_places;
    qsizetype m_handed = 0;
};

// The mails of the paths read by one rule of the command tabs (the failed
// recipients of returned mails, or the senders of requests to join), counted
// per address. The mails are read on every core, and counted in the order
// they come, so the result is what one thread reading them in turn gives.
// False when progress stopped the run.
bool ReadMailBatch(MailBatch &batch, bool senders, BounceTally &tally,
                   const MailBatch::Progress &progress = {});
