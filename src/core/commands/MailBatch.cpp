#include "commands/MailBatch.h"

#include "commands/AddressExtraction.h"
#include "commands/BounceTally.h"
#include "commands/ReturnedMail.h"
#include "store/SafeFile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSemaphore>
#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string_view>
#include <vector>

FileRange::FileRange(QFile &file, qint64 start, qint64 end)
    : m_file(file), m_start(start), m_end(std::max(start, end))
{
    open(ReadOnly | Unbuffered);
}

qint64 FileRange::readData(char *data, qint64 maxSize)
{
    const qint64 left = size() - pos();
    if (left <= 0)
        return 0;
    if (!m_file.seek(m_start + pos())) {
        setErrorString(m_file.errorString());
        return -1;
    }
    const qint64 got = m_file.read(data, std::min(maxSize, left));
    if (got < 0)
        setErrorString(m_file.errorString());
    return got;
}

namespace {

QString grewMessage(qint64 size)
{
    return QStringLiteral("it grew while it was read; read no further than its %1 bytes").arg(size);
}

bool isMaildir(const QString &path)
{
    return QFileInfo(path + QStringLiteral("/cur")).isDir() ||
           QFileInfo(path + QStringLiteral("/new")).isDir();
}

} // namespace

MailBatch::MailBatch(const QStringList &paths)
{
    for (const QString &path : paths)
        addPath(path, true);
}

// named: given by the owner, where a folder inside a folder is not.
void MailBatch::addPath(const QString &path, bool named)
{
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink()) {
        if (!named)
            return; // a folder's subfolders (a maildir's own folders, too) hold no mail of it
        if (isMaildir(path)) {
            addFolder(path + QStringLiteral("/cur"));
            addFolder(path + QStringLiteral("/new"));
        } else {
            addFolder(path);
        }
        return;
    }
    if (info.isDir())
        return noteProblem(path, QStringLiteral("a link to a folder"));
    if (QString refused = SafeFile::readRefusal(path); !refused.isEmpty())
        return noteProblem(path, refused);
    if (!info.exists())
        return noteProblem(path, QStringLiteral("No such file or directory"));
    m_files.append(path);
    m_totalBytes += info.size();
}

void MailBatch::addFolder(const QString &path)
{
    const QDir folder(path);
    if (!folder.exists())
        return;
    const QStringList names = folder.entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &name : names)
        addPath(folder.filePath(name), false);
}

void MailBatch::addProblemAt(qint64 place, const QString &what, const QString &error)
{
    const qsizetype at =
        std::upper_bound(m_places.begin(), m_places.end(), place) - m_places.begin();
    m_places.insert(at, place);
    m_problems.insert(at, {what, error});
}

void MailBatch::noteProblem(const QString &what, const QString &error)
{
    addProblemAt(2 * qint64(m_handed), what, error);
}

void MailBatch::addProblem(qsizetype mail, const QString &what, const QString &error)
{
    addProblemAt(2 * qint64(mail) + 1, what, error);
}

void MailBatch::hand(const Take &take, QIODevice &mail, const QString &what)
{
    take(mail, what);
    ++m_handed;
}

bool MailBatch::run(const Take &take, const Progress &progress)
{
    qint64 done = 0;
    for (const QString &path : std::as_const(m_files)) {
        if (!readFile(path, done, take, progress))
            return false;
    }
    return true;
}

bool MailBatch::readFile(const QString &path, qint64 &done, const Take &take,
                         const Progress &progress)
{
    // The plain-file check again: the entry may have changed since it was found.
    QFile file(path);
    if (QString refused = SafeFile::readRefusal(path); !refused.isEmpty()) {
        noteProblem(path, refused);
        return true;
    }
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        noteProblem(path, file.errorString());
        return true;
    }
    const qint64 size = file.size();
    char start[5] = {};
    const bool mbox = file.read(start, 5) == 5 && std::string_view(start, 5) == "From ";
    bool going = true;
    if (mbox) {
        going = readMbox(file, path, size, done, take, progress);
    } else {
        FileRange mail(file, 0, size);
        hand(take, mail, path);
        done += size;
        going = !progress || progress(done, m_totalBytes);
    }
    if (file.size() > size)
        noteProblem(path, grewMessage(size));
    return going;
}

namespace {

// An mbox separator as writers put it (RFC 4155): "From ", the sender, and
// the time in asctime's layout ("From MAILER-DAEMON Mon Dec  7 10:00:00
// 2026"): a weekday's name, a time and a year.
bool isFromLine(std::string_view line)
{
    if (!line.starts_with("From "))
        return false;
    const size_t senderEnd = line.find(' ', 5);
    const size_t dateStart = line.find_first_not_of(' ', senderEnd);
    if (senderEnd == 5 || dateStart == std::string_view::npos)
        return false;
    const std::string_view date = line.substr(dateStart);
    static constexpr std::string_view Days[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    const auto digit = [&](size_t at) {
        return at < date.size() && date[at] >= '0' && date[at] <= '9';
    };
    bool time = false;
    bool year = false;
    for (size_t at = 0; at < date.size(); ++at) {
        time =
            time || (date[at] == ':' && at > 0 && digit(at - 1) && digit(at + 1) && digit(at + 2));
        year = year || (digit(at) && digit(at + 1) && digit(at + 2) && digit(at + 3) &&
                        (at == 0 || date[at - 1] == ' ') && !digit(at + 4));
    }
    return std::find(std::begin(Days), std::end(Days), date.substr(0, 3)) != std::end(Days) &&
           time && year;
}

} // namespace

// The messages of an mbox: each starts with a "From " line at the start of
// the file or after an empty line (RFC 4155), or with one that is plainly a
// separator (a sender and a time) where a writer left out the empty line; a
// "From " line inside a message is taken for part of it, which writers make
// sure of by quoting it as ">From ". The file is read in pieces of a fixed
// size, each message handed over as soon as its end is found.
bool MailBatch::readMbox(QFile &file, const QString &path, qint64 size, qint64 &done,
                         const Take &take, const Progress &progress)
{
    QFile scan(path);
    if (!scan.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        noteProblem(path, scan.errorString());
        return true;
    }
    constexpr qint64 Piece = 1 << 20;
    // The bytes a separator line may have in the piece before.
    constexpr qint64 Keep = 1024;
    constexpr std::string_view Separator("\nFrom ");
    // The last bytes of the piece before, then this piece; allocated once.
    QByteArray window(Piece + Keep, Qt::Uninitialized);
    qint64 filled = 0;
    qint64 windowStart = 0;
    qint64 messageStart = 0; // its "From " line
    qint64 bodyStart = -1;   // after that line; -1 while its end is still to come
    const qint64 startDone = done;
    const auto handOver = [&](qint64 end) {
        if (bodyStart < 0)
            bodyStart = end;
        const QString what = QStringLiteral("%1, at byte %2").arg(path).arg(messageStart);
        if (end <= bodyStart) {
            // A separator line alone (two in a row, or the last line) is no mail.
        } else if (bodyStart >= windowStart && end <= windowStart + filled) {
            // The whole message is in the piece read: no second read of it.
            QByteArray bytes = QByteArray::fromRawData(
                window.constData() + (bodyStart - windowStart), end - bodyStart);
            QBuffer mail(&bytes);
            mail.open(QIODevice::ReadOnly);
            hand(take, mail, what);
        } else {
            FileRange mail(file, bodyStart, end);
            hand(take, mail, what);
        }
        done = startDone + end;
        return !progress || progress(done, m_totalBytes);
    };
    for (qint64 at = 0; at < size;) {
        const qint64 keep = std::min(filled, Keep);
        std::memmove(window.data(), window.constData() + filled - keep, size_t(keep));
        windowStart = at - keep;
        const qint64 got = scan.read(window.data() + keep, std::min(Piece, size - at));
        if (got <= 0) {
            noteProblem(path, got < 0 ? scan.errorString() : grewMessage(size));
            break;
        }
        filled = keep + got;
        at += got;
        const std::string_view text(window.constData(), size_t(filled));
        if (bodyStart < 0) {
            const size_t lineEnd =
                text.find('\n', size_t(std::max<qint64>(0, messageStart - windowStart)));
            if (lineEnd != std::string_view::npos)
                bodyStart = windowStart + qint64(lineEnd) + 1;
        }
        for (size_t index = text.find(Separator); index != std::string_view::npos;
             index = text.find(Separator, index + 1)) {
            // An empty line before: "\n\n" or "\n\r\n".
            const bool afterEmpty =
                (index >= 1 && text[index - 1] == '\n') ||
                (index >= 2 && text[index - 1] == '\r' && text[index - 2] == '\n');
            const qint64 from = windowStart + qint64(index) + 1;
            if (from <= messageStart || (bodyStart >= 0 && from < bodyStart))
                continue;
            // Without an empty line before, the whole line must be in the
            // piece to be judged; the next piece keeps it.
            const size_t end = text.find('\n', index + 1);
            if (!afterEmpty && (end == std::string_view::npos ||
                                !isFromLine(text.substr(index + 1, end - index - 1))))
                continue;
            if (!handOver(from))
                return false;
            messageStart = from;
            bodyStart = -1;
            const size_t lineEnd = text.find('\n', index + 1);
            if (lineEnd != std::string_view::npos)
                bodyStart = windowStart + qint64(lineEnd) + 1;
        }
    }
    return handOver(size);
}

namespace {

// What one mail gave.
struct MailReading
{
    QList<FailedRecipient> found;
    QDate date;
    QString error;
};

MailReading readMail(QIODevice &mail, bool senders)
{
    if (!senders) {
        ReturnedMailReading reading = ReadReturnedMail(mail);
        return {std::move(reading.recipients), reading.date, std::move(reading.error)};
    }
    const ExtractionResult result = ExtractSenderAddress(mail);
    MailReading reading{{}, {}, result.error};
    for (const QByteArray &address : result.addresses)
        reading.found.append({address, "From:", {}});
    return reading;
}

// Reading a mail costs far more than finding it, and mails are read each on
// its own: they are copied into groups as they are handed over, a group is
// read by a pool of threads while the next one fills, and the readings are
// counted in the order the mails came. Two groups at most are held, so the
// memory stays the same however many mails there are; a mail too large to
// copy is read where it stands, once those before it are counted.
class ParallelReading
{
public:
    ParallelReading(MailBatch &batch, bool senders, BounceTally &tally)
        : m_batch(batch), m_senders(senders), m_tally(tally)
    {
        m_pool.setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
    }
    ~ParallelReading() { waitForGroup(); }
    ParallelReading(const ParallelReading &) = delete;
    ParallelReading &operator=(const ParallelReading &) = delete;

    void take(QIODevice &mail, const QString &what);
    // Counts every mail taken.
    void finish()
    {
        startFilledGroup();
        countGroup();
    }

private:
    struct Job
    {
        qsizetype index;
        QString what;
        QByteArray bytes;
        MailReading reading;
    };
    static constexpr qint64 GroupBytes = 2 << 20;
    static constexpr size_t GroupMails = 256;
    static constexpr qint64 LargestCopied = 1 << 20;

    void count(qsizetype index, const QString &what, const MailReading &reading)
    {
        if (!reading.error.isEmpty())
            m_batch.addProblem(index, what, reading.error);
        else
            m_tally.add(reading.found, reading.date);
    }
    void waitForGroup()
    {
        m_finished.acquire(m_workers);
        m_workers = 0;
    }
    // Waits for the group being read, counts it and empties it.
    void countGroup()
    {
        waitForGroup();
        for (const Job &job : m_reading)
            count(job.index, job.what, job.reading);
        m_reading.clear();
    }
    void startFilledGroup();

    MailBatch &m_batch;
    const bool m_senders;
    BounceTally &m_tally;
    std::vector<Job> m_filling;
    qint64 m_fillingBytes = 0;
    std::vector<Job> m_reading; // left alone by this thread while workers run
    std::atomic<size_t> m_next{0};
    int m_workers = 0;
    QSemaphore m_finished;
    QThreadPool m_pool;
};

void ParallelReading::startFilledGroup()
{
    countGroup();
    if (m_filling.empty())
        return;
    m_reading.swap(m_filling);
    m_fillingBytes = 0;
    m_next = 0;
    m_workers = int(std::min<size_t>(size_t(m_pool.maxThreadCount()), m_reading.size()));
    for (int i = 0; i < m_workers; ++i) {
        m_pool.start([this] {
            for (size_t at; (at = m_next.fetch_add(1)) < m_reading.size();) {
                Job &job = m_reading[at];
                if (!job.reading.error.isEmpty())
                    continue; // could not be copied
                QBuffer mail(&job.bytes);
                mail.open(QIODevice::ReadOnly);
                job.reading = readMail(mail, m_senders);
                job.bytes = QByteArray();
            }
            m_finished.release();
        });
    }
}

void ParallelReading::take(QIODevice &mail, const QString &what)
{
    const qsizetype index = m_batch.mailNumber();
    const qint64 size = mail.size();
    if (mail.isSequential() || size > LargestCopied) {
        finish();
        count(index, what, readMail(mail, m_senders));
        return;
    }
    Job job{index, what, mail.read(size), {}};
    if (job.bytes.size() != size) {
        job.bytes.clear();
        job.reading.error =
            mail.errorString().isEmpty() ? QStringLiteral("read error") : mail.errorString();
    }
    m_fillingBytes += size;
    m_filling.push_back(std::move(job));
    if (m_filling.size() >= GroupMails || m_fillingBytes >= GroupBytes)
        startFilledGroup();
}

} // namespace

bool ReadMailBatch(MailBatch &batch, bool senders, BounceTally &tally,
                   const MailBatch::Progress &progress)
{
    ParallelReading reading(batch, senders, tally);
    if (!batch.run([&](QIODevice &mail, const QString &what) { reading.take(mail, what); },
                   progress))
        return false;
    reading.finish();
    return true;
}
