#include "ProvisionBatch.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QJsonDocument>
#include <QProcess>

#include <memory>
#include <utility>

namespace ProvisionBatch {
namespace {

class Worker {
public:
    Worker(int index, const ModuleTarget& target) : m_index(index)
    {
        m_record = ProvisionRecord::begin(QStringLiteral("provision"));
        m_record.device = target.display();
    }

    // Calls ended once, when the worker ended or did not start.
    void start(const QStringList& arguments, const std::function<void()>& ended)
    {
        m_ended = ended;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QLatin1String(kWorkerVariable), QStringLiteral("1"));
        m_process.setProcessEnvironment(environment);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, [this] { readLines(); });
        QObject::connect(&m_process, &QProcess::finished, [this] {
            readLines();
            end();
        });
        QObject::connect(&m_process, &QProcess::errorOccurred,
                         [this](QProcess::ProcessError error) {
                             if (error == QProcess::FailedToStart)
                                 end();
                         });
        m_process.start(QCoreApplication::applicationFilePath(), arguments);
    }

    int index() const { return m_index; }

    // The worker's record, or a failed one when it gave none.
    ProvisionRecord result()
    {
        if (m_finished)
            return m_record;
        m_record.outcome = QStringLiteral("fail");
        m_record.failedStep = m_step;
        m_record.reason =
            m_process.error() == QProcess::FailedToStart
                ? QStringLiteral("the worker did not start: ") + m_process.errorString()
            : m_process.exitStatus() == QProcess::CrashExit
                ? QStringLiteral("the worker was stopped (interrupted or crashed)")
                : QStringLiteral("the worker ended (status %1) without a result")
                      .arg(m_process.exitCode());
        m_record.ended = ProvisionRecord::now();
        return m_record;
    }

private:
    void end()
    {
        if (m_ended)
            std::exchange(m_ended, nullptr)();
    }

    void readLines()
    {
        while (m_process.canReadLine()) {
            const QJsonObject line = QJsonDocument::fromJson(m_process.readLine()).object();
            if (line.contains(QLatin1String("step"))) {
                m_step = line.value(QLatin1String("step")).toString();
            } else if (line.contains(QLatin1String("record"))) {
                m_record =
                    ProvisionRecord::fromJson(line.value(QLatin1String("record")).toObject());
                m_finished = true;
            }
        }
    }

    int m_index;
    QProcess m_process;
    QString m_step = ModuleRun::kSteps.first();
    ProvisionRecord m_record;
    bool m_finished = false;
    std::function<void()> m_ended;
};

QByteArray line(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace

void run(const QVector<ModuleTarget>& targets, const WorkerArguments& arguments,
         const Finished& finished)
{
    QEventLoop loop;
    std::vector<std::unique_ptr<Worker>> workers;
    qsizetype running = targets.size();
    for (int index = 0; index < targets.size(); ++index)
        workers.push_back(std::make_unique<Worker>(index, targets[index]));
    for (const std::unique_ptr<Worker>& worker : workers) {
        Worker* self = worker.get();
        self->start(arguments(targets[self->index()]), [&, self] {
            finished(self->index(), self->result());
            if (--running == 0)
                loop.quit();
        });
    }
    if (running > 0)
        loop.exec();
}

QByteArray stepLine(const QString& step)
{
    return line({{"step", step}});
}

QByteArray recordLine(const ProvisionRecord& record)
{
    return line({{"record", record.toJson()}});
}

} // namespace ProvisionBatch
