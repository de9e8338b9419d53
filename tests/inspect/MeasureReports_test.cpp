// --measure on the command line: its limits decide the exit status, --json
// gives scripts the documented keys, and --report writes a page that needs
// nothing outside itself.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "InspectRun.h"
#include "inspect/measure/MeasureLimits.h"

namespace {

const std::vector<std::string> kCard = {"-d", "640x360", "-c", "709", "-s", "422", "-b", "10"};

std::string card()
{
    return renderWithPm5544(kCard, "card.png");
}

ProgramRun measure(const std::vector<std::string>& extra, const std::string& file)
{
    std::vector<std::string> args = kCard;
    args.push_back("--measure");
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(file);
    return inspect(args);
}

std::string writeLimits(const std::string& text)
{
    const std::string path = testTempDir() + "/limits.txt";
    std::ofstream(path) << text;
    return path;
}

// The elements a page opens and closes, in order: every one that is not void closes, innermost first.
bool balancedTags(const std::string& html, std::string& problem)
{
    const std::vector<std::string> kVoid = {"meta", "img", "br", "!DOCTYPE"};
    std::vector<std::string> open;
    for (std::size_t at = html.find('<'); at != std::string::npos; at = html.find('<', at + 1)) {
        const std::size_t end = html.find('>', at);
        if (end == std::string::npos) return problem = "an unclosed <", false;
        const std::string tag = html.substr(at + 1, end - at - 1);
        const bool closing = tag[0] == '/';
        const std::string name =
            tag.substr(closing ? 1 : 0, tag.find_first_of(" />", closing ? 1 : 0) - (closing ? 1 : 0));
        if (closing) {
            if (open.empty() || open.back() != name)
                return problem = "</" + name + "> closes " + (open.empty() ? "nothing" : open.back()), false;
            open.pop_back();
        } else if (tag.back() != '/' && std::find(kVoid.begin(), kVoid.end(), name) == kVoid.end()) {
            open.push_back(name);
        }
    }
    if (!open.empty()) return problem = "<" + open.back() + "> never closed", false;
    return true;
}

std::size_t count(const std::string& text, const std::string& what)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

}  // namespace

TEST(MeasureReports, LimitsDecideTheExitStatus)
{
    const std::string file = card();
    const struct {
        const char* limits;
        int status;
        const char* failed;
    } cases[] = {
        {"", 0, ""},  // the built-in set
        {"# what a studio link must hold\nfrequency_response_db = -0.2 0.2\n\nsnr_db = 50 inf\n", 0, ""},
        {"registration_samples = 1 2\nsnr_db = -inf inf\n", 1, "registration_samples"},
        {"psnr_db = 0 60\n", 1, "psnr_db"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> extra = {"--json", "-"};
        if (*c.limits != '\0') extra.insert(extra.end(), {"--limits", writeLimits(c.limits)});
        const ProgramRun run = measure(extra, file);
        EXPECT_EQ(run.status, c.status) << c.limits << run.err;
        const nlohmann::json j = nlohmann::json::parse(run.out);
        EXPECT_EQ(j["limits"]["passed"], c.status == 0) << c.limits;
        if (*c.failed != '\0') {
            EXPECT_EQ(j["limits"]["failed"], nlohmann::json::array({c.failed})) << c.limits;
        }
    }
}

TEST(MeasureReports, AnUnreadableLimitsFileIsRefusedNamingTheLine)
{
    const std::string file = card();
    const struct {
        const char* limits;
        const char* message;
    } cases[] = {
        {"snr_db = 50\n", "line 1: not \"name = low high\""},
        {"# fine\nloudness_db = 1 2\n", "line 2: no limit is called loudness_db"},
        {"snr_db = 60 50\n", "line 1: the low bound is above the high one"},
        {"snr_db = fifty inf\n", "line 1: the bounds are numbers, inf or -inf"},
        {"snr_db : 50 inf\n", "line 1: not \"name = low high\""},
    };
    for (const auto& c : cases) {
        const ProgramRun run = measure({"--limits", writeLimits(c.limits)}, file);
        EXPECT_EQ(run.status, 2) << c.limits;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "") << c.limits;
    }
    const ProgramRun missing = measure({"--limits", testTempDir() + "/none.txt"}, file);
    EXPECT_EQ(missing.status, 2);
}

TEST(MeasureReports, JsonOnStandardOutputHoldsEveryDocumentedKey)
{
    const ProgramRun run = measure({"--json", "-"}, card());
    ASSERT_EQ(run.status, 0) << run.err;
    nlohmann::json j = nlohmann::json::parse(run.out);  // nothing else on standard output; a missing key reads null
    const std::vector<std::pair<std::string, std::vector<std::string>>> keys = {
        {"registration", {"dx", "dy"}},
        {"levels", {"gain", "offset", "black", "white", "grey_scale", "clipped"}},
        {"chroma", {"gain", "phase_deg"}},
        {"chroma_delay", {"cb_samples", "cr_samples", "cb_ns", "cr_ns"}},
        {"noise", {"y_rms", "cb_rms", "cr_rms", "snr_db"}},
        {"psnr_db", {"y", "cb", "cr"}},
        {"limits", {"passed", "failed"}},
    };
    for (const auto& k : keys) {
        for (const std::string& inner : k.second) EXPECT_TRUE(j[k.first].contains(inner)) << k.first << "." << inner;
    }
    ASSERT_EQ(j["bars"].size(), 6u);
    for (const char* key : {"name", "reference", "measured", "chroma_gain", "chroma_phase_deg"})
        EXPECT_TRUE(j["bars"][0].contains(key)) << key;
    ASSERT_EQ(j["frequency_response"].size(), 5u);
    for (const char* key : {"grating", "period_samples", "cycles_per_sample", "mhz", "db"})
        EXPECT_TRUE(j["frequency_response"][0].contains(key)) << key;
    EXPECT_EQ(j["levels"]["grey_scale"].size(), 6u);
    EXPECT_EQ(j["levels"]["white"]["reference"], 940);
    EXPECT_TRUE(j["diagnoses"].empty());
    EXPECT_TRUE(j["psnr_db"]["y"].is_null());  // infinite for an identical picture
}

TEST(MeasureReports, TheReportPageIsWellFormedAndSelfContained)
{
    const std::string page = testTempDir() + "/report.html";
    const ProgramRun run = measure({"--report", page}, card());
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string html = readFile(page);
    ASSERT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
    std::string problem;
    EXPECT_TRUE(balancedTags(html, problem)) << problem;
    // Nothing is fetched: no links, scripts or style sheets, and every picture is data.
    for (const char* outside : {"href=", "<link", "<script", "url(", "<iframe", "@import"})
        EXPECT_EQ(count(html, outside), 0u) << outside;
    EXPECT_EQ(count(html, "src="), count(html, "src=\"data:image/png;base64,"));
    EXPECT_EQ(count(html, "http"), count(html, "xmlns=\"http://www.w3.org/2000/svg\""));
    // The charts: five gratings with a limit band, six bars twice, the difference picture and its legend.
    EXPECT_EQ(count(html, "<svg id=\"frequency-response\""), 1u);
    EXPECT_EQ(count(html, "class=\"grating\""), 5u);
    EXPECT_EQ(count(html, "class=\"limit-band\""), 1u);
    EXPECT_EQ(count(html, "<circle class=\"card-vector\""), 6u);
    EXPECT_EQ(count(html, "<circle class=\"capture-vector\""), 6u);
    EXPECT_EQ(count(html, "<img id=\"difference\""), 1u);
    EXPECT_EQ(count(html, "<svg id=\"heat-legend\""), 1u);
    const std::size_t data = html.find("base64,") + 7;
    EXPECT_EQ(html.substr(data, 8), "iVBORw0K");  // the PNG signature, 89 50 4E 47 0D 0A 1A 0A

    // A flat grey capture, whose gratings read -300 dB and more: the dB axis
    // still has a few lines that can be read, not hundreds.
    std::string flat = "YUV4MPEG2 W640 H360 F25:1 Ip A1:1 C444p10 XCOLORRANGE=LIMITED\nFRAME\n";
    for (int i = 0; i < 640 * 360 * 3; ++i) flat += std::string("\x00\x02", 2);  // code 512
    writeBytes(testTempDir() + "/flat.y4m", flat);
    EXPECT_EQ(measure({"--report", page}, testTempDir() + "/flat.y4m").status, 1);
    const std::string flatPage = readFile(page);
    const std::string chart = flatPage.substr(flatPage.find("<svg id=\"frequency-response\""));
    const std::size_t dbLabels = count(chart.substr(0, chart.find("</svg>")), "text-anchor=\"end\"");
    EXPECT_GE(dbLabels, 3u);
    EXPECT_LE(dbLabels, 11u);
}

TEST(MeasureReports, OptionsThatDoNotGoTogetherAreRefused)
{
    const std::string file = card();
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"--json", "m.json", file}, "--json goes with --measure"},
        {{"--report", "m.html", file}, "--report goes with --measure"},
        {{"--limits", "l.txt", file}, "--limits goes with --measure"},
        {{"--measure", "--compare", "--json", "-", file}, "--json - keeps standard output for the JSON alone"},
    };
    for (const auto& c : cases) {
        const ProgramRun run = inspect(c.args);
        EXPECT_EQ(run.status, 2) << c.message;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
}

TEST(MeasureReports, ACaptureOfAnotherSizeIsMeasuredAtItsOwnAndSaysSo)
{
    const std::string file = card();
    std::vector<std::string> args = {"-d", "1280x720", "-c", "709", "-s", "422", "-b", "10", "--measure", file};
    const ProgramRun run = inspect(args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("note: the capture is 640x360: measured against the card rendered at that size, not at "
                           "-d 1280x720"),
              std::string::npos)
        << run.out;
    args.insert(args.end() - 1, {"--json", "-"});
    const nlohmann::json j = nlohmann::json::parse(inspect(args).out);
    EXPECT_EQ(j["note"].get<std::string>().substr(0, 24), "the capture is 640x360: ");
    const std::string xyz = renderWithPm5544({"-c", "RGB-headroom"}, "card.xyz");
    const ProgramRun refused = inspect({"--measure", xyz});
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("X'Y'Z'"), std::string::npos) << refused.err;
}

TEST(MeasureReports, APictureADamagedFileHoldsOnlyPartOfIsNotMeasured)
{
    // The lines a cut file lacks would be measured as black: shifted, clipped, every step wrong.
    const std::string whole = readFile(card());
    const std::string cut = testTempDir() + "/cut.png";
    std::ofstream(cut, std::ios::binary) << whole.substr(0, whole.size() / 2);
    const ProgramRun run = measure({}, cut);
    EXPECT_EQ(run.status, 2) << run.out;
    EXPECT_NE(run.err.find("of its 640x360 samples: only a whole picture is measured"), std::string::npos) << run.err;
}

TEST(MeasureReports, BuiltInLimitsAreTheDocumentedOnes)
{
    // The README's table of the built-in set, row by row.
    const std::string readme = readFile(std::string(PM5544_SOURCE_DIR) + "/README.md");
    for (const Limit& l : LimitSet::builtIn().limits) {
        char row[128];
        std::snprintf(row, sizeof row, "| `%s` | %g | %g |", l.name.c_str(), l.low, l.high);
        EXPECT_NE(readme.find(row), std::string::npos) << row;
    }
}

TEST(MeasureReports, APictureTooSmallForThePartsOfTheCardMeasuresOnlyWhatItHolds)
{
    for (const char* size : {"4x4", "16x9", "64x36", "7x200"}) {
        const std::string file = renderWithPm5544({"-d", size, "-c", "709", "-b", "10"}, "tiny.png");
        const std::string page = testTempDir() + "/tiny.html";
        const ProgramRun run = inspect({"-c", "709", "-b", "10", "--measure", "--json", "-", file});
        ASSERT_EQ(run.status, 0) << size << run.err;
        const nlohmann::json j = nlohmann::json::parse(run.out);
        EXPECT_TRUE(j["levels"]["gain"].is_null()) << size;
        EXPECT_TRUE(j["chroma"]["gain"].is_null()) << size;
        EXPECT_TRUE(j["noise"]["snr_db"].is_null()) << size;
        // Only the registration is held against a limit, where the card is more than one level.
        for (const auto& check : j["limits"]["checks"]) EXPECT_EQ(check["name"], "registration_correlation") << size;
        EXPECT_EQ(inspect({"-c", "709", "-b", "10", "--measure", "--report", page, file}).status, 0) << size;
    }
}

TEST(MeasureReports, EveryKindPm5544WritesMeasuresAsTheCard)
{
    // Each kind's rows become the measured frame: its stored depth, its chroma sampling, its component order.
    // 648 pixels are whole groups of a 4:2:2 DPX line.
    const struct {
        const char* name;
        std::vector<std::string> options;  // pm5544's, and the inspector's
        std::vector<const char*> noise;
    } kinds[] = {
        {"card.tif", {"-c", "709"}, {"y_rms", "cb_rms", "cr_rms"}},
        {"card.dpx", {"-c", "709", "-s", "422", "-b", "10"}, {"y_rms", "cb_rms", "cr_rms"}},
        {"card.pat", {"-c", "709", "-s", "422"}, {"y_rms", "cb_rms", "cr_rms"}},
        {"card.rgb", {"-c", "RGB-headroom"}, {"r_rms", "g_rms", "b_rms"}},
        {"card.y4m", {"-c", "709", "-s", "420", "-b", "8"}, {"y_rms", "cb_rms", "cr_rms"}},
    };
    for (const auto& kind : kinds) {
        std::vector<std::string> options = {"-d", "648x360"};
        options.insert(options.end(), kind.options.begin(), kind.options.end());
        const std::string file = renderWithPm5544(options, kind.name);
        std::vector<std::string> args = options;
        args.insert(args.end(), {"--measure", "--json", "-", file});
        const ProgramRun run = inspect(args);
        ASSERT_EQ(run.status, 0) << kind.name << run.err;
        const nlohmann::json j = nlohmann::json::parse(run.out);
        EXPECT_EQ(j["registration"]["dx"], 0.0) << kind.name;
        EXPECT_EQ(j["registration"]["dy"], 0.0) << kind.name;
        EXPECT_EQ(j["levels"]["gain"], 1.0) << kind.name;
        for (const char* component : kind.noise) EXPECT_EQ(j["noise"][component], 0.0) << kind.name << component;
        for (const auto& psnr : j["psnr_db"]) EXPECT_TRUE(psnr.is_null()) << kind.name;  // infinite: identical
        EXPECT_TRUE(j["diagnoses"].empty()) << kind.name << j["diagnoses"].dump();
    }
}
