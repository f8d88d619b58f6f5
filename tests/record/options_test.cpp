#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "record/options.h"

namespace {

CommandLine parse(std::vector<std::string> args) {
    args.insert(args.begin(), "mijotine-record");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    return parseCommandLine(static_cast<int>(args.size()), argv.data());
}

}  // namespace

TEST(RecordOptions, EveryValueIsReadAndTheFirstBadOneSettlesIt) {
    CommandLine line = parse({"-q", "--size", "1440x1080", "--seed=4294967295", "--from", "1.5", "--to", "3",
                              "--quality", "0", "--preset", "slow", "-t", "my.tour", "--stills", "st", "out.webm"});
    ASSERT_EQ(line.then, CommandLine::Record) << line.error;
    const RecordOptions& o = line.options;
    EXPECT_TRUE(o.quiet);
    EXPECT_EQ(o.width, 1440);
    EXPECT_EQ(o.height, 1080);
    EXPECT_EQ(o.seed, 4294967295u);
    EXPECT_DOUBLE_EQ(o.fromSeconds, 1.5);
    EXPECT_DOUBLE_EQ(o.toSeconds, 3);
    EXPECT_EQ(o.quality, 0);
    EXPECT_EQ(o.preset, "slow");
    EXPECT_EQ(o.tourPath, "my.tour");
    EXPECT_EQ(o.stillsDir, "st");
    EXPECT_EQ(o.output, "out.webm");
    EXPECT_FALSE(o.formatName.empty());
    EXPECT_EQ(parse({"--stills", "st"}).then, CommandLine::Record);  // stills only

    const struct {
        std::vector<std::string> args;
        const char* error;
    } bad[] = {
        {{"--size", "1442x1080", "a.mp4"}, "bad size '1442x1080'"},
        {{"--size", "158x118", "a.mp4"}, "bad size"},
        {{"--seed", "4294967296", "a.mp4"}, "bad seed"},
        {{"--seed", "-1", "a.mp4"}, "bad seed"},
        {{"--from", "nan", "a.mp4"}, "bad --from"},
        {{"--to", "0", "a.mp4"}, "bad --to"},
        {{"--from", "5", "--to", "3", "a.mp4"}, "--to must come after --from"},
        {{"--quality", "101", "a.mp4"}, "bad quality"},
        {{"--preset", "very fast", "a.mp4"}, "bad preset"},
        {{"a.mp4", "b.mp4"}, "one output only; also given 'b.mp4'"},
        {{"a.avi"}, "cannot tell the format of 'a.avi'"},
        {{}, "no OUTPUT given"},
        {{"--tour"}, "option '--tour' needs a value"},
        {{"--size", "1x1", "--help"}, "bad size"},
        {{"--bogus", "--help"}, "unknown option '--bogus'"},
    };
    for (const auto& b : bad) {
        line = parse(b.args);
        EXPECT_EQ(line.then, CommandLine::BadUsage) << b.error;
        EXPECT_EQ(line.error.rfind(b.error, 0), 0u) << line.error;
    }
    EXPECT_EQ(parse({"--help", "--size", "1x1"}).then, CommandLine::PrintHelp);
    EXPECT_EQ(parse({"-V"}).then, CommandLine::PrintVersion);
    EXPECT_EQ(parse({"--print-tour", "--bogus"}).then, CommandLine::PrintTour);
}
