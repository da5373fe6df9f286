// The shared block and the messages between processes the MIDI player is
// reached through (both ends in this process, the answering one on a thread).
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "platform/process_messages.h"
#include "platform/program_launcher.h"
#include "platform/shared_block.h"

using namespace zunka::platform;

namespace {

TEST(SharedBlock, WordsAndTextAreSeenByEveryMappingAndStayInside) {
  std::string name = "/zunka_test_block_" + std::to_string(currentProcessId());
  auto a = SharedBlock::open(name);
  auto b = SharedBlock::open(name);
  ASSERT_TRUE(a && b);
  a->setWord(4, 1);
  a->setText(16, "stop");
  EXPECT_EQ(b->word(4), 1);
  EXPECT_EQ(b->text(16), "stop");
  // Text is cut to end inside the block, with its zero.
  b->setText(1000, std::string(100, 'x'));
  EXPECT_EQ(a->text(1000), std::string(SharedBlock::kSize - 1000 - 1, 'x'));
  EXPECT_EQ(a->word(1022), 0);  // a word past the end reads 0
  a->setWord(1021, 7);          // and is not written
  EXPECT_EQ(a->text(1000).size(), SharedBlock::kSize - 1000 - 1);
  SharedBlock::unlink(name);
}

TEST(ProcessMessages, AMessageIsAnsweredAndNobodyListeningAnswersNothingAtOnce) {
  MessagePort port;
  ASSERT_TRUE(port.listening());
  std::atomic<bool> served{false};
  std::thread server([&] {
    ProcessMessage m;
    if (port.receive(m, 2000) && m.message == 0x0204) {
      port.reply(m.w + 17);
      served = true;
    }
  });
  auto answer = sendProcessMessage(currentProcessId(), {0x0204, 4000, 0}, 2000);
  server.join();
  ASSERT_TRUE(answer);
  EXPECT_EQ(*answer, 4017);
  EXPECT_TRUE(served);
  // No port for that process id (the parent runs no MIDI player), and no process 0.
  EXPECT_FALSE(sendProcessMessage(parentProcessId(), {0x0201, 0, 0}, 100));
  EXPECT_FALSE(sendProcessMessage(0, {0x0201, 0, 0}, 100));
  // A port that does not answer: the sender gives up after its time.
  EXPECT_FALSE(sendProcessMessage(currentProcessId(), {0x0201, 0, 0}, 50));
}

}  // namespace
