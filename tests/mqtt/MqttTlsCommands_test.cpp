// The program against a real mosquitto over TLS, with a CA and a broker certificate made here, and
// commands from the broker running through the command interpreter.

#include <gtest/gtest.h>

#include <cstdlib>

#include "mqtt/MqttBroker.h"
#include "mqtt/MqttRun.h"

namespace quorvane {
namespace {

using namespace test;

// A CA, and a certificate for 127.0.0.1 signed by it; a second CA that signed nothing.
BrokerTls makeCertificates(const TempDir& dir) {
    const std::string d = dir.path().string();
    const std::string key = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes ";
    const std::string script =
        "exec 2>/dev/null; cd " + d + " && openssl req -x509" + key +
        "-keyout ca.key -out ca.pem -days 1 -subj /CN=TestCA" + " && openssl req -x509" + key +
        "-keyout other.key -out other.pem -days 1 -subj /CN=OtherCA" + " && openssl req" + key +
        "-keyout broker.key -out broker.csr -subj /CN=127.0.0.1" +
        " && printf 'subjectAltName=IP:127.0.0.1' > ext" +
        " && openssl x509 -req -in broker.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out broker.pem -days "
        "1"
        " -extfile ext 2>/dev/null >/dev/null && chmod 644 broker.key";
    EXPECT_EQ(std::system(script.c_str()), 0);
    return {d + "/ca.pem", d + "/broker.pem", d + "/broker.key"};
}

struct TlsRun {
    TlsRun() : Tls(makeCertificates(Certificates)), Run(&Tls) {}
    TempDir Certificates;
    BrokerTls Tls;
    MqttRun Run;
};

TEST(MqttTls, RecordsArriveOverTlsVerifiedWithTheCaOfTheSettings) {
    TlsRun t;
    ASSERT_TRUE(t.Run.Broker.start()) << t.Run.Broker.log();
    t.Run.settings({"CaFile=" + t.Tls.CaFile});
    Subscriber sub(t.Run.Dir, t.Run.Broker, t.Run.topic("record"), {"--cafile", t.Tls.CaFile});
    ASSERT_TRUE(sub.waitReady(t.Run.Broker));
    auto quorvane = t.Run.start(t.Run.Broker.url(true));
    ASSERT_TRUE(t.Run.send(1, 5));
    ASSERT_TRUE(sub.waitForLines(5)) << quorvane->standardError();
    expectEverySequenceInOrder(sub.lines(), 1, 5);
}

TEST(MqttTls, ABrokerCertificateFromAnotherCaIsRefusedWithAClearMessage) {
    TlsRun t;
    ASSERT_TRUE(t.Run.Broker.start()) << t.Run.Broker.log();
    const std::string other = t.Certificates.file("other.pem");
    t.Run.settings({"CaFile=" + other});
    auto quorvane = t.Run.start(t.Run.Broker.url(true));
    ASSERT_TRUE(quorvane->waitForMessage("Not Reached")) << quorvane->standardError();
    EXPECT_NE(
        quorvane->standardError().find("The broker's certificate could not be verified with the CA file " +
                                       other + " (certificate verify failed)"),
        std::string::npos)
        << quorvane->standardError();
}

TEST(MqttCommands, SendSuspendResumeAndAnUnknownCommandAreAnsweredOnTheResultTopic) {
    MqttRun run;
    ASSERT_TRUE(run.Broker.start());
    run.settings({"Commands=true"});
    Subscriber results(run.Dir, run.Broker, run.topic("command/result"));
    Subscriber records(run.Dir, run.Broker, run.topic("record"));
    ASSERT_TRUE(results.waitReady(run.Broker));
    ASSERT_TRUE(records.waitReady(run.Broker));
    auto quorvane = run.start();
    // The command subscription follows the connection: the first command may find none yet.
    ASSERT_TRUE(waitFor([&] {
        publishTo(run.Broker, run.topic("command"), R"({"id":1,"command":"{SEND(hello)}"})");
        return waitFor([&] { return !results.lines().empty(); }, std::chrono::milliseconds(200));
    }));
    EXPECT_EQ(results.lines()[0],
              run.topic("command/result") + R"( {"id":1,"command":"{SEND(hello)}","accepted":true})");
    EXPECT_EQ(run.Pty.receive(5), "hello");

    ASSERT_TRUE(publishTo(run.Broker, run.topic("command"), R"({"id":2,"command":"{SUSPEND}"})"));
    ASSERT_TRUE(results.waitForLines(2));
    ASSERT_TRUE(run.send(1, 2));
    std::this_thread::sleep_for(std::chrono::milliseconds(300)); // nothing is read while suspended
    EXPECT_TRUE(records.lines().empty());
    ASSERT_TRUE(publishTo(run.Broker, run.topic("command"), "{RESUME}"));
    ASSERT_TRUE(records.waitForLines(2)) << quorvane->standardError();

    ASSERT_TRUE(publishTo(run.Broker, run.topic("command"), R"({"id":"x","command":"{NOSUCH}"})"));
    ASSERT_TRUE(results.waitForLines(4));
    const auto answers = results.lines();
    EXPECT_NE(answers[1].find(R"("id":2,"command":"{SUSPEND}","accepted":true)"), std::string::npos)
        << answers[1];
    EXPECT_NE(answers[2].find(R"("id":null,"command":"{RESUME}","accepted":true)"), std::string::npos)
        << answers[2];
    EXPECT_NE(answers[3].find(R"("id":"x","command":"{NOSUCH}","accepted":false)"), std::string::npos)
        << answers[3];
}

} // namespace
} // namespace quorvane
