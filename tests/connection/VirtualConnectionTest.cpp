#include "connection/VirtualConnection.h"

#include "connection/Command.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace tovren {
namespace {

TEST(VirtualConnection, ReceivesQueuedMessagesOldestFirst) {
  VirtualConnection connection;
  EXPECT_TRUE(connection.init());
  connection.addMessage("(sense_body 1)");
  connection.addMessage("(see 1)");

  std::string text = "stale";
  EXPECT_EQ(connection.receive(text), 1);
  EXPECT_EQ(text, "(sense_body 1)");
  EXPECT_EQ(connection.receive(text), 1);
  EXPECT_EQ(text, "(see 1)");
  EXPECT_EQ(connection.receive(text), 0);
  EXPECT_EQ(text, "(see 1)");
}

TEST(VirtualConnection, EmptyQueueLeavesTextUnchanged) {
  VirtualConnection connection;
  std::string text = "kept";
  EXPECT_EQ(connection.receive(text), 0);
  EXPECT_EQ(text, "kept");
}

TEST(VirtualConnection, MessagesAddedWhileReadingKeepTheirOrder) {
  VirtualConnection connection;
  std::string text;
  connection.addMessage("a");
  EXPECT_EQ(connection.receive(text), 1);
  connection.addMessage("");
  connection.addMessage("b");
  EXPECT_EQ(connection.receive(text), 1);
  EXPECT_EQ(text, "");
  EXPECT_EQ(connection.receive(text), 1);
  EXPECT_EQ(text, "b");
}

TEST(VirtualConnection, SendingDiscardsAndLeavesTheQueue) {
  std::unique_ptr<Connection> connection = std::make_unique<VirtualConnection>();
  const DashCommand dash(100.0f);
  connection->send(&dash);
  connection->send(std::string("(bye)"));
  std::string text = "kept";
  EXPECT_EQ(connection->receive(text), 0);
  EXPECT_EQ(text, "kept");
}

}  // namespace
}  // namespace tovren
