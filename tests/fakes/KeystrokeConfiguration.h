#pragma once
// A configuration file in keystroke mode for the tests that type through a real desktop.

#include "config/ConfigFileFormat.h"
#include "config/ConfigFiles.h"
#include "fakes/TempDir.h"

#include <cstdint>
#include <string>

namespace quorvane::test {

// Three comma-separated fields ended by CR (its LF ignored): a preamble, tabs as postambles, and
// the CR left in the last field typed as Enter through the default translation table. The device
// gets `ack` once a record has been typed (or left untyped).
inline std::string writeKeystrokeConfiguration(const test::TempDir& dir, const std::string& title,
                                               const std::string& command = {}, std::int32_t delay = 1,
                                               const std::string& ack = {}) {
    Configuration c;
    ResetConfiguration(c);
    c.DataBitsIndex = 3;
    c.ParityIndex = 0;
    c.RecordStructure = 1;
    c.FieldCount = 3;
    c.OutputMode = 0;
    c.TargetAppTitle = title;
    c.TargetAppCommand = command;
    c.KeystrokeDelay = delay;
    c.ActivateTargetApp = (title.empty() && command.empty()) ? kFalse : kTrue;
    c.PreInputTranslation[10] = "Ignore";
    c.RecordPreamble = "<";
    c.FieldPostamble[1] = "{TAB}";
    c.FieldPostamble[2] = "{TAB}";
    c.AckString = ack;
    const std::string path = dir.file("keys.QV3");
    WriteWholeFile(path, EncodeConfigFile(c));
    return path;
}

} // namespace quorvane::test
