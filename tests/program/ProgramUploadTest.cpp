// The whole program as a user runs it: a process on a pseudo-terminal to the receiver
// simulator, driven through a pipe by the terminal contract.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <termios.h>

#include <filesystem>

#include "tests/program/ProgramProcess.h"
#include "tests/program/Responder.h"
#include "tests/program/SRecordBytes.h"
#include "tests/support/ReceiverSimProcess.h"
#include "tests/support/TempWorkDir.h"

namespace {

constexpr int kPromptTimeoutMs = 60000;

// Writes a program code image for the receiver with this product code.
std::string WriteCodeImage(const std::string& product, const std::string& size) {
    std::string path = (std::filesystem::current_path() / "code.srec").string();
    std::string command = std::string(SAMPLE_IMAGE_PATH) + " code --product " + product +
                          " --size " + size + " -o " + path;
    EXPECT_EQ(std::system(command.c_str()), 0);
    return path;
}

// The flash the simulator wrote once it has ended, against the image.
void ExpectFlashEqualsImage(ReceiverSimProcess& sim, const std::string& image) {
    sim.Stop(SIGTERM);
    auto flash = SRecordBytes("flash.s3");
    auto expected = SRecordBytes(image);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(flash.size(), expected.size());
    EXPECT_TRUE(flash == expected) << "the simulated flash differs from the image";
}

class ProgramUpload : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!TARNWICK_DRIVERS_BUILT)
            GTEST_SKIP() << "needs the upload drivers (drivers/PoiUploadDialog), not built yet";
    }

    TempWorkDir dir_;
};

}  // namespace

TEST_F(ProgramUpload, ManualCodeUploadFromTheMenu) {
    std::string image = WriteCodeImage("037", "24K");
    ReceiverSimProcess sim({"--model", "Pathwick", "--flash-out", "flash.s3", "--chatter", "0"});
    ASSERT_FALSE(sim.Path().empty());
    ProgramProcess program({"--text"}, dir_.Path().string(), {{"ORVANE_COM1", sim.Path()}});
    Responder user;
    user.commands = {"Select Code File", "Upload"};
    user.path = image;
    EXPECT_EQ(user.Drive(program, kPromptTimeoutMs), 0) << program.Output();
    EXPECT_NE(program.Output().find("Status: Pathwick"), std::string::npos) << program.Output();
    EXPECT_NE(program.Output().find("Upload complete"), std::string::npos) << program.Output();
    EXPECT_TRUE(std::filesystem::exists("DEBUG.OUT"));
    ExpectFlashEqualsImage(sim, image);
}

TEST_F(ProgramUpload, AutomaticUploadNamedByOrvaneIni) {
    std::string image = WriteCodeImage("037", "24K");
    TempWorkDir::Write("orvane.ini", "[PATHWICK]\nCODE=" + image + "\n\nMAP=\n\n");
    ReceiverSimProcess sim({"--model", "Pathwick", "--flash-out", "flash.s3", "--chatter", "0"});
    ProgramProcess program({"--text"}, dir_.Path().string(), {{"ORVANE_COM1", sim.Path()}});
    Responder user;
    user.answers["Upload> "] = {"yes"};
    EXPECT_EQ(user.Drive(program, kPromptTimeoutMs), 0) << program.Output();
    EXPECT_NE(program.Output().find("Upload complete"), std::string::npos) << program.Output();
    EXPECT_TRUE(std::filesystem::exists("DEBUG.OUT"));
    ExpectFlashEqualsImage(sim, image);
}

TEST_F(ProgramUpload, ExpertUploadToAReceiverWaitingInItsLoader) {
    std::string image = WriteCodeImage("037", "24K");
    ReceiverSimProcess sim(
        {"--model", "Pathwick", "--start", "loader", "--flash-out", "flash.s3", "--chatter", "0"});
    ProgramProcess program({"--text"}, dir_.Path().string(), {{"ORVANE_COM1", sim.Path()}});
    Responder user;
    user.commands = {"Expert", "Select Code File", "Upload"};
    user.answers["Expert Setup> "] = {"Pathwick", "COM 1", "On", "OK"};
    user.path = image;
    EXPECT_EQ(user.Drive(program, kPromptTimeoutMs), 0) << program.Output();
    EXPECT_NE(program.Output().find("Expert upload mode is turned ON."), std::string::npos);
    EXPECT_NE(program.Output().find("Upload complete"), std::string::npos) << program.Output();
    EXPECT_TRUE(std::filesystem::exists("DEBUG.OUT"));
    ExpectFlashEqualsImage(sim, image);
}

TEST_F(ProgramUpload, CtrlCBringsTheCancelWarningAndASecondOneQuitsRestoringThePort) {
    std::string image = WriteCodeImage("037", "512K");
    // Paced at the line rate, the upload lasts long enough to interrupt it.
    ReceiverSimProcess sim({"--model", "Pathwick", "--pace", "--chatter", "0"});
    termios before{};
    {
        int fd = ::open(sim.Path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(fd, 0);
        ::tcgetattr(fd, &before);
        ::close(fd);
    }
    ProgramProcess program({"--text"}, dir_.Path().string(), {{"ORVANE_COM1", sim.Path()}});
    Responder user;
    user.commands = {"Select Code File", "Upload"};
    user.path = image;
    // Through the questions up to the running upload.
    for (int second = 0; program.Output().find("== Upload status ==") == std::string::npos;
         ++second) {
        if (std::optional<std::string> prompt = program.NextPrompt(1000)) {
            ASSERT_TRUE(program.Answer(user.Choose(*prompt, program.Pending())))
                << program.Output();
        }
        ASSERT_LT(second, 60) << program.Output();
    }
    ASSERT_TRUE(program.WaitFor("PROGRAMMING", kPromptTimeoutMs)) << program.Output();
    program.Signal(SIGINT);
    ASSERT_TRUE(program.NextPrompt(10000)) << program.Output();
    EXPECT_NE(program.Pending().find("Interrupt: Cancel\n== WARNING"), std::string::npos)
        << program.Output();
    program.Signal(SIGINT);
    EXPECT_EQ(program.Wait(20000), 130) << program.Output();
    EXPECT_NE(program.Output().find("Interrupted twice: quitting."), std::string::npos);

    termios after{};
    int fd = ::open(sim.Path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0) << "the port is still held";
    ::tcgetattr(fd, &after);
    ::close(fd);
    EXPECT_EQ(::cfgetospeed(&after), ::cfgetospeed(&before));
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(after.c_cflag, before.c_cflag);
}
