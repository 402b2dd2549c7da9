// The device worker on its own, in its thread: what it tells and in which order, writes
// answered one by one, and exactly one end however the link ends.
#include "device_fixture.h"

#include "modules/device/lumiref_worker.h"

#include <QThread>

#include <algorithm>
#include <memory>

namespace {

using namespace device_test;

class WorkerTest : public DeviceTest {
protected:
    WorkerTest()
    {
        worker = std::make_unique<LumirefWorker>(sim.PortName(), ShortTimings(), &host);
        worker->moveToThread(&thread);
        QObject::connect(worker.get(), &LumirefWorker::Connected, &receiver,
                         [this](const std::vector<std::string>& names, const std::vector<bool>&) {
                             heard.push_back("connected " + std::to_string(names.size()));
                         });
        QObject::connect(worker.get(), &LumirefWorker::ValuesRead, &receiver,
                         [this](const std::vector<double>& values) {
                             ++valuesRead;
                             lastValues = values;
                         });
        QObject::connect(worker.get(), &LumirefWorker::Written, &receiver, [this](int index, bool taken) {
            heard.push_back("written " + std::to_string(index) + (taken ? " taken" : " refused"));
        });
        QObject::connect(worker.get(), &LumirefWorker::Lost, &receiver, [this] { heard.push_back("lost"); });
        QObject::connect(worker.get(), &LumirefWorker::Ended, &receiver, [this] { heard.push_back("ended"); });
        thread.start();
        QMetaObject::invokeMethod(worker.get(), &LumirefWorker::Start, Qt::QueuedConnection);
    }
    ~WorkerTest() override
    {
        worker->RequestStop();
        thread.wait();
    }

    void Write(int index, double value)
    {
        LumirefWorker* w = worker.get();
        QMetaObject::invokeMethod(w, [w, index, value] { w->Write(index, value); }, Qt::QueuedConnection);
    }

    bool Heard(const std::string& what)
    {
        return QTest::qWaitFor([&] { return std::find(heard.begin(), heard.end(), what) != heard.end(); }, 10000);
    }

    QThread thread;
    std::unique_ptr<LumirefWorker> worker; // goes before the thread, after its end
    QObject receiver;
    std::vector<std::string> heard;
    int valuesRead = 0;
    std::vector<double> lastValues;
};

// Connected, then polls; each write answered in the order asked, taken or refused by the
// device. Then the end: lost first when the line vanished, and one "ended" with one closing
// log line, also when a stop is asked once more.
class WorkerEndTest : public WorkerTest, public ::testing::WithParamInterface<bool> {};

TEST_P(WorkerEndTest, TellsTheLinkInOrderAndEndsOnce)
{
    const bool vanishes = GetParam();
    ASSERT_TRUE(Heard("connected 16"));
    ASSERT_TRUE(QTest::qWaitFor([this] { return valuesRead >= 2; }, 10000));
    EXPECT_EQ(lastValues.size(), 16u);
    EXPECT_EQ(lastValues[13], static_cast<double>(8.000742f));
    Write(8, 0.5);
    Write(13, 1.0); // read-only: refused
    ASSERT_TRUE(Heard("written 13 refused"));
    EXPECT_EQ(sim.Value(8), 0.5f);

    if (vanishes)
        sim.CloseLine();
    else
        worker->RequestStop();
    ASSERT_TRUE(thread.wait(10000));
    worker->RequestStop(); // after the end: nothing more
    QCoreApplication::processEvents();
    std::vector<std::string> expected = {"connected 16", "written 8 taken", "written 13 refused"};
    if (vanishes)
        expected.push_back("lost");
    expected.push_back("ended");
    EXPECT_EQ(heard, expected);
    EXPECT_EQ(CountLines("Verbindung mit Beleuchtungsquelle beendet"), 1);
    EXPECT_EQ(CountLines("Fehler: Verbindung zur Schnittstelle '" + sim.PortName() + "' verloren!"), vanishes ? 1 : 0);
    if (!vanishes) { // the port was closed
        SerialLink other;
        EXPECT_EQ(other.Open(sim.PortName()), SerialLink::OpenResult::Opened);
    }
}

INSTANTIATE_TEST_SUITE_P(Ends, WorkerEndTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "LineVanishes" : "Stop"; });

} // namespace
