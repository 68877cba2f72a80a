#include "connection/VirtualConnection.h"

#include "connection/Command.h"

#include <gtest/gtest.h>

#include <string>

namespace tovren {
namespace {

TEST(VirtualConnection, HandsOutQueuedMessagesOldestFirstAndDiscardsWhatIsSent) {
  VirtualConnection connection;
  std::string text = "kept";
  EXPECT_EQ(connection.receive(text), 0);
  EXPECT_EQ(text, "kept");
  connection.addMessage("(sense_body 1)");
  connection.addMessage("");
  const DashCommand dash(100.0f);
  connection.send(&dash);
  EXPECT_EQ(connection.receive(text), 1);
  EXPECT_EQ(text, "(sense_body 1)");
  // Added while reading: behind the ones already queued.
  connection.addMessage("(see 1)");
  EXPECT_EQ(connection.receive(text), 1);
  EXPECT_EQ(text, "");
  EXPECT_EQ(connection.receive(text), 1);
  EXPECT_EQ(text, "(see 1)");
  EXPECT_EQ(connection.receive(text), 0);
  EXPECT_EQ(text, "(see 1)");
}

}  // namespace
}  // namespace tovren
