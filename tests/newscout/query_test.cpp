// The web query against a real HTTP server on 127.0.0.1: each kind of answer ends with its decision and message.
#include <QNetworkProxy>
#include <gtest/gtest.h>

#include <chrono>

#include "base/messagecatalog.h"
#include "newscout/newscouttexts.h"
#include "newscout/serverquery.h"
#include "nstestsupport.h"

namespace {

class CRecordedSteps : public IQueryProgress {
 public:
  void Step(int id) override { ids.push_back(id); }
  std::vector<int> ids;
};

std::string Text(int id, const std::vector<std::string>& args = {}) {
  return FormatMessageText(NsCatalogText(id), args);
}

const char kUpdBody[] =
    "# Kivo Vam, current release\r\n// written by the release script\r\n\r\n  Version = 2.1.0  \r\n"
    "link=https://example.invalid/get/kivovam\r\nsize=123456\r\ndate=2010/5/5 12:30:15.25\r\nunknown=ignored\r\n";

class QueryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    profile.registryKeyPath = UniqueKeyPath();
    profile.objectPath = "/kivovam/latest.upd";
    profile.downloadLink = "http://example.invalid/download";
    profile.packageSize = 1000;
    profile.packageDate = CNewscoutDate::ParseStoredText("2009/12/1");
    query.SetCredentialsPrompt(&ui);
    query.timeoutMs = 2000;
  }
  void TearDown() override { QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy); }

  bool Ask(const std::string& host) {
    profile.serverHost = host;
    return query.Query(profile, settings, false, message);
  }
  bool LastRunWritten() {
    CNewscoutProfile stored;
    stored.registryKeyPath = profile.registryKeyPath;
    CNewscoutSettings(stored).LoadSettings();
    return !stored.lastRunDate.IsZero();
  }
  // How long `ask` took, in milliseconds.
  template <typename F>
  static long long Millis(F ask) {
    auto start = std::chrono::steady_clock::now();
    ask();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  }

  CNewscoutProfile profile;
  CNewscoutSettings settings{profile};
  CServerQuery query;
  CScriptedUi ui;
  std::string message;
};

TEST_F(QueryTest, UpdAnswerGivesVersionLinkSizeAndDate) {
  CRecordedSteps steps;
  query.SetProgress(&steps);
  CTestHttpServer server([](const std::string&) { return MakeReply(200, "text/plain", kUpdBody); });

  EXPECT_TRUE(Ask(server.HostPort()));
  EXPECT_EQ(message, "");
  EXPECT_EQ(query.Answer().version, "2.1.0");
  EXPECT_EQ(query.Answer().size, 123456u);
  EXPECT_EQ(query.Answer().date.ToText(), "2010/5/5 12:30:15.250");
  EXPECT_EQ(profile.downloadLink, "https://example.invalid/get/kivovam");
  EXPECT_TRUE(LastRunWritten());
  ASSERT_EQ(server.Requests().size(), 1u);
  std::string request = server.Requests()[0];
  EXPECT_EQ(request.rfind("GET /kivovam/latest.upd HTTP/1.1\r\n", 0), 0u);
  EXPECT_NE(request.find("\r\nAccept: */*\r\n"), std::string::npos) << request;
  EXPECT_NE(request.find("\r\nCache-Control: no-cache\r\n"), std::string::npos) << request;
  EXPECT_EQ(steps.ids, (std::vector<int>{4200, 4201, 4202, 4203, 4204, 4205, 4206, 4207, 4208, 4209}));

  // With the ignore date honoured, the same answer is no news.
  profile.ignoreDate = query.Answer().date;
  EXPECT_FALSE(query.Query(profile, settings, true, message));
  EXPECT_EQ(message, "");
}

struct CAnswerCase {
  const char* name;
  const char* objectPath;
  CHttpReply reply;
  bool newer;
  int messageId;  // 0: none
  bool contact;   // counted as a successful contact
};

class QueryAnswerTest : public QueryTest, public ::testing::WithParamInterface<CAnswerCase> {};

TEST_P(QueryAnswerTest, EndsWithItsDecisionAndMessage) {
  const CAnswerCase& c = GetParam();
  profile.objectPath = c.objectPath;
  CTestHttpServer server([&](const std::string&) { return c.reply; });
  EXPECT_EQ(Ask(server.HostPort()), c.newer);
  EXPECT_EQ(message, c.messageId == 0 ? "" : Text(c.messageId, {server.HostPort()}));
  EXPECT_EQ(LastRunWritten(), c.contact);
  EXPECT_EQ(profile.downloadLink, "http://example.invalid/download");
}

CHttpReply WithoutDate(CHttpReply reply) {
  std::size_t at = reply.head.find("Last-Modified");
  reply.head.erase(at, reply.head.find("\r\n", at) + 2 - at);
  return reply;
}

INSTANTIATE_TEST_SUITE_P(
    Answers, QueryAnswerTest,
    ::testing::Values(
        CAnswerCase{"Download", "/kivovam.bin", MakeReply(200, "application/octet-stream", std::string(5000, 'x')),
                    true, 0, true},
        CAnswerCase{"DownloadOfTheInstalledSize", "/kivovam.bin",
                    MakeReply(200, "Application/x-msdownload", std::string(1000, 'x')), false, 0, true},
        CAnswerCase{"NotFound", "/latest.upd", MakeReply(404, "text/html", "<h1>gone</h1>"), false, 4011, false},
        CAnswerCase{"WrongContentType", "/kivovam.bin", MakeReply(200, "text/html", "<html/>"), false, 4004, true},
        CAnswerCase{"OnlyComments", "/latest.TXT", MakeReply(200, "text/plain", "# none\n// yet\n"), false, 0, true},
        CAnswerCase{"LinkToAProgramOnly", "/latest.upd", MakeReply(200, "text/plain", "link=/usr/bin/xterm\n"), false,
                    0, true},
        CAnswerCase{"NoLength", "/latest.upd", MakeReply(200, "text/plain", "version=3\n", "", false), false, 4007,
                    true},
        CAnswerCase{"NoDate", "/latest.upd", WithoutDate(MakeReply(200, "text/plain", "version=3\n")), false, 4007,
                    true},
        CAnswerCase{"TooLargeForAnInfoFile", "/latest.upd",
                    MakeReply(200, "text/plain", "version=3\n" + std::string(100000, '#')), false, 4004, true}),
    CRowName());

// Only the right user name and password get the file.
CTestHttpServer::CHandler Guard(const char* header, int status, const char* challenge) {
  return [=](const std::string& head) {
    if (head.find(std::string("\r\n") + header + ": Basic dXNlcjpzZWNyZXQ=\r\n") != std::string::npos)
      return MakeReply(200, "text/plain", kUpdBody);
    return MakeReply(status, "text/html", "no", challenge);
  };
}

TEST_F(QueryTest, ServerAuthentication) {
  CTestHttpServer server(Guard("Authorization", 401, "WWW-Authenticate: Basic realm=\"updates\"\r\n"));
  // The user declines.
  EXPECT_FALSE(Ask(server.HostPort()));
  EXPECT_EQ(message, Text(4011));
  EXPECT_EQ(ui.credentialRequests.size(), 1u);
  EXPECT_FALSE(LastRunWritten());
  // Wrong credentials are asked for again, but not without end.
  ui.user = "user";
  ui.password = "wrong";
  EXPECT_FALSE(Ask(server.HostPort()));
  EXPECT_LE(ui.credentialRequests.size(), 1u + 8u);
  // The right ones get the file.
  ui.credentialRequests.clear();
  ui.password = "secret";
  EXPECT_TRUE(Ask(server.HostPort()));
  ASSERT_EQ(ui.credentialRequests.size(), 1u);
  EXPECT_FALSE(ui.credentialRequests[0].proxy);
  EXPECT_EQ(ui.credentialRequests[0].realm, "updates");
  EXPECT_EQ(ui.credentialRequests[0].host, "127.0.0.1");
  // Without the dialog nobody is asked.
  CServerQuery fresh;
  fresh.SetCredentialsPrompt(&ui);
  ui.credentialRequests.clear();
  profile.authDialog = 0;
  EXPECT_FALSE(fresh.Query(profile, settings, false, message));
  EXPECT_EQ(message, Text(4011));
  EXPECT_TRUE(ui.credentialRequests.empty());
}

TEST_F(QueryTest, ProxyAuthentication) {
  CTestHttpServer proxy(Guard("Proxy-Authorization", 407, "Proxy-Authenticate: Basic realm=\"gateway\"\r\n"));
  QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::HttpProxy, "127.0.0.1", static_cast<quint16>(proxy.Port())));
  EXPECT_FALSE(Ask("updates.example.invalid"));
  EXPECT_EQ(message, Text(4011));

  ui.user = "user";
  ui.password = "secret";
  EXPECT_TRUE(Ask("updates.example.invalid"));
  EXPECT_TRUE(ui.credentialRequests.back().proxy);
  EXPECT_EQ(ui.credentialRequests.back().realm, "gateway");
  EXPECT_EQ(proxy.Requests().back().rfind("GET http://updates.example.invalid/kivovam/latest.upd HTTP/1.1\r\n", 0), 0u);
}

TEST_F(QueryTest, SilentServerTimesOut) {
  CTestHttpServer server([](const std::string&) { return CHttpReply{CHttpReply::EMode::Silent, "", ""}; });
  query.timeoutMs = 500;
  EXPECT_LT(Millis([&] { EXPECT_FALSE(Ask(server.HostPort())); }), 3000);
  EXPECT_EQ(message, Text(4005, {"The server did not answer in time (after 0.5 s)."}));
  EXPECT_FALSE(LastRunWritten());
}

TEST_F(QueryTest, EndlessBodyIsNotReadToItsEnd) {
  CTestHttpServer chunked([](const std::string&) {
    CHttpReply reply = MakeReply(200, "text/plain", "", "Transfer-Encoding: chunked\r\n", false);
    return CHttpReply{CHttpReply::EMode::Endless, reply.head, "1000\r\n" + std::string(0x1000, '#') + "\r\n"};
  });
  EXPECT_LT(Millis([&] { EXPECT_FALSE(Ask(chunked.HostPort())); }), 2000);
  EXPECT_EQ(message, Text(4007));

  // A body that goes on past its declared length is read up to that length.
  CTestHttpServer overlong([](const std::string&) {
    CHttpReply reply = MakeReply(200, "text/plain", "version=2.5\n# padding\n");
    return CHttpReply{CHttpReply::EMode::Endless, reply.head, reply.body + "version=9.9\n"};
  });
  EXPECT_LT(Millis([&] { EXPECT_TRUE(Ask(overlong.HostPort())); }), 2000);
  EXPECT_EQ(query.Answer().version, "2.5");
}

TEST_F(QueryTest, NetworkFailuresCarryTheirErrorText) {
  int port = CTestHttpServer([](const std::string&) { return CHttpReply{}; }).Port();  // nobody listens now
  EXPECT_FALSE(Ask("127.0.0.1:" + std::to_string(port)));
  EXPECT_EQ(message, Text(4005, {"Connection refused"}));

  EXPECT_FALSE(Ask("file:///etc"));
  EXPECT_EQ(message, Text(4005, {Text(NsText::kNotWebAddress, {"file:///etc"})}));

  // An https host is asked over TLS, which a plain server does not understand.
  CTestHttpServer plain([](const std::string&) { return MakeReply(200, "text/plain", kUpdBody); });
  query.timeoutMs = 1000;
  EXPECT_FALSE(Ask("https://" + plain.HostPort()));
  EXPECT_EQ(message.rfind(Text(4005, {""}), 0), 0u) << message;
  EXPECT_TRUE(plain.Requests().empty());
}

}  // namespace
