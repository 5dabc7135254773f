#include "sim/SimOptions.h"

#include <charconv>
#include <cmath>

#include "sim/DeviceProfile.h"

namespace quorvane::sim {

namespace {

constexpr double kMaxRate = 100'000.0;
constexpr std::int64_t kMaxBaud = 4'000'000;

template <typename Number>
std::optional<Number> parseNumber(const std::string& text) {
    Number value{};
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || text.empty())
        return std::nullopt;
    return value;
}

std::string knownProfiles() {
    std::string names;
    for (const std::string& name : profileNames())
        names += (names.empty() ? "" : ", ") + name;
    return names;
}

// Cross-option rules, checked once every option is known so the order of options never matters.
std::optional<std::string> conflict(const SimOptions& options, const std::vector<std::string>& given) {
    const auto was = [&given](const std::string& name) {
        for (const std::string& option : given)
            if (option == name)
                return true;
        return false;
    };
    const bool replay = !options.ReplayFile.empty();
    if (replay && was("--profile"))
        return "--replay and --profile exclude each other";
    if (replay && (was("--rate") || was("--count")))
        return std::string(was("--rate") ? "--rate" : "--count") + " applies to profiles, not to --replay";
    if (!replay && (was("--baud") || was("--loop")))
        return std::string(was("--baud") ? "--baud" : "--loop") + " needs --replay FILE";
    if (was("--fast") && was("--rate"))
        return "--fast and --rate exclude each other";
    return std::nullopt;
}

} // namespace

std::variant<SimOptions, std::string> parseSimOptions(const std::vector<std::string>& args) {
    SimOptions options;
    std::vector<std::string> given;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> inlineValue;
        if (const auto equals = name.find('='); name.rfind("--", 0) == 0 && equals != std::string::npos) {
            inlineValue = name.substr(equals + 1);
            name.erase(equals);
        }
        given.push_back(name);

        const bool takesValue = name == "--profile" || name == "--rate" || name == "--replay" ||
                                name == "--baud" || name == "--count" || name == "--seed" || name == "--link";
        if (!takesValue) {
            if (inlineValue)
                return name + " takes no value";
            if (name == "--help" || name == "-h")
                options.Help = true;
            else if (name == "--loop")
                options.Loop = true;
            else if (name == "--fast")
                options.Fast = true;
            else
                return "unknown option '" + args[i] + "'";
            continue;
        }
        if (!inlineValue && i + 1 == args.size())
            return name + " needs a value";
        const std::string value = inlineValue ? *inlineValue : args[++i];

        if (name == "--profile") {
            if (!makeProfile(value, 0))
                return "unknown profile '" + value + "' (known: " + knownProfiles() + ")";
            options.Profile = value;
        } else if (name == "--rate") {
            const auto rate = parseNumber<double>(value);
            if (!rate || !std::isfinite(*rate) || *rate <= 0 || *rate > kMaxRate)
                return "--rate wants records per second above 0 and up to 100000, not '" + value + "'";
            options.Rate = *rate;
        } else if (name == "--replay") {
            if (value.empty())
                return "--replay needs a file name";
            options.ReplayFile = value;
        } else if (name == "--baud") {
            const auto baud = parseNumber<std::int64_t>(value);
            if (!baud || *baud < 1 || *baud > kMaxBaud)
                return "--baud wants a rate from 1 to 4000000, not '" + value + "'";
            options.Baud = *baud;
        } else if (name == "--count") {
            const auto count = parseNumber<std::int64_t>(value);
            if (!count || *count < 1)
                return "--count wants a positive number of records, not '" + value + "'";
            options.Count = count;
        } else if (name == "--seed") {
            const auto seed = parseNumber<std::uint64_t>(value);
            if (!seed)
                return "--seed wants a non-negative integer, not '" + value + "'";
            options.Seed = seed;
        } else if (name == "--link") {
            if (value.empty())
                return "--link needs a path";
            options.LinkPath = value;
        }
    }
    if (options.Help)
        return options;
    if (auto problem = conflict(options, given))
        return *problem;
    return options;
}

std::string simUsageText() {
    return "Usage: quorvane-sim [OPTIONS]\n"
           "A simulated serial instrument on a pseudo-terminal, for trying Quorvane without hardware.\n"
           "Prints the terminal's path (or makes --link PATH point to it) and plays the device there;\n"
           "what the capture program sends is shown on standard error as 'rx: ' lines.\n"
           "\n"
           "  --profile NAME   the device: balance (default), caliper, scanner\n"
           "                   balance: 'ST,GS,   12.345,g' CR LF; answers 'P' CR LF, tares on 'T' CR LF\n"
           "                   caliper: '+025.40' CR\n"
           "                   scanner: EAN-13 codes with CR LF\n"
           "  --rate N         profile records per second (default 2, fractions allowed)\n"
           "  --count N        exit after N profile records once the reader has taken them\n"
           "  --fast           no pacing: records as fast as the reader takes them\n"
           "  --seed N         seed of the random walk, for reproducible runs\n"
           "  --replay FILE    send FILE's bytes instead, paced like a real line\n"
           "  --baud B         line speed of --replay, 10 bits per byte (default 9600)\n"
           "  --loop           send the --replay file again and again\n"
           "  --link PATH      make PATH a symbolic link to the terminal (removed on exit)\n"
           "  --help           this text\n"
           "\n"
           "While no program has the terminal open the device waits: nothing is generated and bytes\n"
           "already queued are kept for the next reader. Ends on SIGINT or SIGTERM.\n"
           "Exit status: 0 normal end, 1 terminal or file error, 2 usage error.\n";
}

} // namespace quorvane::sim
