#include "config/CommandLine.h"

#include "config/ConfigLimits.h"

namespace quorvane {

std::string UsageText() {
    return "Usage:\n"
           "  quorvane                      open the setup window\n"
           "  quorvane FILE                 load FILE and activate it in Normal Mode\n"
           "  quorvane --device PATH [FILE] the same with PATH for the configured port in this session\n"
           "  quorvane --headless FILE      run the engine on FILE without windows until SIGINT, SIGTERM\n"
           "                                or {APPEXIT}; messages go to standard error\n"
           "    --device PATH               use PATH for the configured port in this run\n"
           "    --wait-for-device           start without the device and wait for it to appear\n"
           "    --trace-dde                 show the DDE client's conversations on standard error\n"
           "    --quiet                     print no record lines on standard output\n"
           "    --keystrokes NAME           type records through x11, wayland or uinput (the kernel's\n"
           "                                virtual keyboard), or auto: chosen for the session\n"
           "    --mqtt URL                  also publish every record to the MQTT broker at URL\n"
           "                                (mqtt://host:port or mqtts://host:port)\n"
           "    --instrument NAME           the instrument's name in the MQTT topics\n"
           "  quorvane --dump FILE          print every setting of FILE, one Name=value per line\n"
           "  quorvane --convert IN OUT     read IN in any layout and write OUT in the current layout\n"
           "                                (OUT - writes to standard output)\n"
           "  quorvane --help               show this text\n"
           "  quorvane --version            show the version\n"
           "\n"
           "Exit status: 0 after a normal end, 1 when the file cannot be loaded or the port cannot be\n"
           "opened, 2 for a usage error.\n";
}

std::variant<CommandLine, std::string> ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    std::vector<std::string> files;
    bool headless = false;
    bool dump = false;
    bool convert = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            line.Kind = CommandLine::Action::Help;
            return line;
        }
        if (arg == "--version") {
            line.Kind = CommandLine::Action::Version;
            return line;
        }
        if (arg == "--headless") {
            headless = true;
        } else if (arg == "--dump") {
            dump = true;
        } else if (arg == "--convert") {
            convert = true;
        } else if (arg == "--trace-dde") {
            line.TraceDde = true;
        } else if (arg == "--quiet") {
            line.Quiet = true;
        } else if (arg == "--device") {
            if (i + 1 >= args.size())
                return std::string("--device needs a PATH");
            line.Device = args[++i];
            if (line.Device.empty())
                return std::string("--device needs a PATH, not an empty one");
        } else if (arg == "--keystrokes") {
            if (i + 1 >= args.size())
                return std::string("--keystrokes needs a NAME: auto, x11, wayland or uinput");
            line.Keystrokes = KeystrokeBackendOfName(args[++i]);
            if (!line.Keystrokes)
                return "unknown keystroke back end " + args[i] + ": auto, x11, wayland or uinput";
        } else if (arg == "--mqtt") {
            if (i + 1 >= args.size())
                return std::string("--mqtt needs a URL");
            line.MqttUrl = args[++i];
            if (!line.MqttUrl.starts_with("mqtt://") && !line.MqttUrl.starts_with("mqtts://"))
                return "--mqtt needs a URL that starts with mqtt:// or mqtts://, not " + line.MqttUrl;
            // A password in the URL would stand in the process list and the shell's history.
            if (line.MqttUrl.find('@') != std::string::npos)
                return std::string("--mqtt takes no user or password in the URL: the settings store names a "
                                   "password file");
        } else if (arg == "--instrument") {
            if (i + 1 >= args.size() || args[i + 1].empty())
                return std::string("--instrument needs a NAME");
            line.Instrument = args[++i];
            if (line.Instrument.find_first_of("/+#") != std::string::npos)
                return "--instrument cannot hold /, + or #: " + line.Instrument;
        } else if (arg == "--wait-for-device") {
            line.WaitForDevice = true;
        } else if (arg == "--") {
            files.insert(files.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
            break;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return "unknown option " + arg;
        } else {
            files.push_back(arg);
        }
    }
    if (int(headless) + int(dump) + int(convert) > 1)
        return std::string("--headless, --dump and --convert cannot be combined");
    if (!line.Device.empty() && (dump || convert))
        return std::string("--device goes with a FILE to run or with the setup window");
    if (line.Quiet && !headless)
        return std::string("--quiet goes with --headless");
    if (line.WaitForDevice && !headless)
        return std::string("--wait-for-device goes with --headless");
    if (line.Keystrokes && (dump || convert || files.empty()))
        return std::string("--keystrokes goes with a FILE to run");
    if ((!line.MqttUrl.empty() || !line.Instrument.empty()) && (dump || convert || files.empty()))
        return std::string("--mqtt and --instrument go with a FILE to run");
    if (line.TraceDde && (dump || convert || files.empty()))
        return std::string("--trace-dde goes with a FILE to run");

    const std::size_t wanted = convert ? 2 : 1;
    if (files.size() > wanted)
        return "unexpected argument " + files[wanted];
    if ((headless || dump || convert) && files.size() < wanted)
        return convert ? std::string("--convert needs IN and OUT") : std::string("a FILE is needed");

    if (convert) {
        line.Kind = CommandLine::Action::Convert;
        line.File = files[0];
        line.Output = files[1];
    } else if (dump) {
        line.Kind = CommandLine::Action::Dump;
        line.File = files[0];
    } else if (headless) {
        line.Kind = CommandLine::Action::Headless;
        line.File = files[0];
    } else if (!files.empty()) {
        line.Kind = CommandLine::Action::Activate;
        line.File = files[0];
    }
    return line;
}

bool ReadCommandLine(std::string_view fileArgument, Configuration& config, ConfigFiles& files) {
    const std::string path = TrimBlanks(fileArgument);
    const bool startedWithFile = !path.empty();
    if (startedWithFile) {
        config.ConfigFileName = path;
        files.setCommandLineLoad(true);
    }
    files.LoadConfiguration();
    // Only the start-up load keeps a 1.1 file's note to itself; later loads show it.
    files.setCommandLineLoad(false);
    return startedWithFile;
}

} // namespace quorvane
