#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "external/XoloClient.h"
#include "external/XoloExceptions.h"
#include "support/TestUtil.h"

namespace {

using VelkCOM::NorixError;
using VelkCOM::NorixNameNotFound;
using VelkCOM::Velk_Exception;
using VelkCOM::XoloClient;

// A session that knows a few values and two stages.
class FakeSession : public XoloClient {
 public:
  double GetDataByName(const std::string& name, int stage) override {
    lastStage = stage;
    auto it = values.find(name);
    if (it == values.end()) throw NorixNameNotFound(name);
    return it->second;
  }
  void StageTags(
      std::vector<std::pair<int, std::string>>& tags) const override {
    tags.emplace_back(10, "OP10");
    tags.emplace_back(20, "OP20");
  }

  std::map<std::string, double> values{{"Norix_Thickness", 1.5}};
  int lastStage = 0;
};

// Every test leaves the process-wide session as it found it.
class XoloClientTest : public ::testing::Test {
 protected:
  void SetUp() override { saved_ = XoloClient::getInstance(); }
  void TearDown() override { XoloClient::setInstance(saved_); }

 private:
  XoloClient* saved_ = nullptr;
};

TEST_F(XoloClientTest, InstalledSessionAnswersThroughGetInstance) {
  FakeSession session;
  XoloClient::setInstance(&session);
  XoloClient* found = XoloClient::getInstance();
  ASSERT_EQ(&session, found);

  EXPECT_EQ(1.5, found->GetDataByName("Norix_Thickness", 3));
  EXPECT_EQ(3, session.lastStage);
  std::vector<std::pair<int, std::string>> tags;
  found->StageTags(tags);
  ASSERT_EQ(2u, tags.size());
  EXPECT_EQ(std::make_pair(20, std::string("OP20")), tags[1]);

  XoloClient::setInstance(nullptr);
  EXPECT_EQ(nullptr, XoloClient::getInstance());
}

TEST_F(XoloClientTest, DestroyedSessionUninstallsItself) {
  FakeSession kept;
  XoloClient::setInstance(&kept);
  { FakeSession other; }
  EXPECT_EQ(&kept, XoloClient::getInstance());
  {
    FakeSession shortLived;
    XoloClient::setInstance(&shortLived);
  }
  EXPECT_EQ(nullptr, XoloClient::getInstance());
}

TEST_F(XoloClientTest, BaseSessionKnowsNothing) {
  XoloClient session;
  EXPECT_THROW_MSG(session.GetDataByName("Norix_Depth", -1), NorixNameNotFound,
                   "Name not found: Norix_Depth");
  EXPECT_THROW_MSG(session.GetStringDataByName("2*Norix_Depth_1+3", 0),
                   NorixNameNotFound, "Name not found: Norix_Depth_1");
  EXPECT_THROW_MSG(session.GetStringDataByName("no session value", 0),
                   NorixNameNotFound, "Name not found: no session value");

  std::vector<std::pair<int, std::string>> tags;
  session.StageTags(tags);
  EXPECT_TRUE(tags.empty());

  double circumference = 7.0, area = 8.0, maxDiameter = 9.0;
  session.GetGroupParameter({1, 2}, circumference, area, maxDiameter);
  EXPECT_EQ(0.0, circumference);
  EXPECT_EQ(0.0, area);
  EXPECT_EQ(0.0, maxDiameter);
}

TEST(NorixNameNotFoundTest, IsCaughtAsEveryBaseWithItsMessage) {
  try {
    throw NorixNameNotFound("Norix_Pressure");
  } catch (const NorixError& error) {
    EXPECT_STREQ("Name not found: Norix_Pressure", error.what());
    const auto* notFound = dynamic_cast<const NorixNameNotFound*>(&error);
    ASSERT_NE(nullptr, notFound);
    EXPECT_EQ("Norix_Pressure", notFound->name());
  }
  EXPECT_THROW_MSG(throw NorixNameNotFound("A"), Velk_Exception,
                   "Name not found: A");
  EXPECT_THROW_MSG(throw NorixNameNotFound("B"), std::exception,
                   "Name not found: B");
  EXPECT_THROW_MSG(throw NorixError("link lost"), Velk_Exception, "link lost");
}

TEST(NorixNameNotFoundTest, CopyOutlivesOriginal) {
  NorixNameNotFound* original = new NorixNameNotFound("Norix_Gap");
  NorixNameNotFound copy(*original);
  delete original;
  EXPECT_STREQ("Name not found: Norix_Gap", copy.what());
  EXPECT_EQ("Norix_Gap", copy.name());

  NorixError assigned("x");
  assigned = copy;
  EXPECT_STREQ("Name not found: Norix_Gap", assigned.what());
}

}  // namespace
