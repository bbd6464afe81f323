// install.cfg of arbitrary bytes: the reader and the builder's checks must neither crash
// nor read out of bounds; every key falls back as it should.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include <unistd.h>

#include "install/setup_config.h"
#include "sys/emu/emulated_system.h"
#include "sys/stream.h"
#include "tools/zovpack/cfg_lint.h"
#include "tools/zovpack/cfg_report.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static std::unique_ptr<zov::sys::emu::EmulatedSystem> machine = [] {
        const auto root = std::filesystem::temp_directory_path() /
                          ("zov-cfg-fuzz-" + std::to_string(::getpid()));
        auto m = std::make_unique<zov::sys::emu::EmulatedSystem>(root);
        zov::sys::SetSystem(m.get());
        return m;
    }();
    {
        zov::TFileStream out("C:\\install.cfg", zov::sys::FileAccess::Write,
                             zov::sys::FileCreate::CreateAlways, zov::sys::FileShare::DenyWrite);
        out.WriteBuffer(data, static_cast<int32_t>(size));
    }
    zov::TSetupSettings settings;
    zov::TScreenLook look;
    zov::ReadSetupConfig("C:\\install.cfg", settings, look);
    for (const std::string& v : settings.Directories)
        if (v.size() > 1023) __builtin_trap();
    zov::zovpack::CheckConfigText(std::string(reinterpret_cast<const char*>(data), size));
    zov::zovpack::SettingsJson(settings, look);
    return 0;
}
