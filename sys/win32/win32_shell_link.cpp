#include "sys/win32/win32_shell_link.h"

#include <vector>

#include "sys/win32/windows_api.h"

namespace zov::sys::win32 {
namespace {

class ComShellLink : public ShellLink {
public:
    ComShellLink(IShellLinkA* link, IPersistFile* file) : link_(link), file_(file) {}
    ~ComShellLink() override {
        file_->Release();
        link_->Release();
    }

    void SetPath(const std::string& target) override { link_->SetPath(target.c_str()); }
    void SetWorkingDirectory(const std::string& dir) override {
        link_->SetWorkingDirectory(dir.c_str());
    }
    void SetIconLocation(const std::string& file, int index) override {
        link_->SetIconLocation(file.c_str(), index);
    }
    void SetArguments(const std::string& args) override { link_->SetArguments(args.c_str()); }
    void SetDescription(const std::string& text) override {
        link_->SetDescription(text.c_str());
    }
    bool Save(const std::string& linkPath) override {
        const int n = MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, nullptr, 0);
        if (n <= 0) return false;
        std::vector<wchar_t> wide(static_cast<size_t>(n));
        MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide.data(), n);
        return SUCCEEDED(file_->Save(wide.data(), FALSE));
    }

private:
    IShellLinkA* link_;
    IPersistFile* file_;
};

void InitialiseComOnce() {
    // S_FALSE (already initialised) and a different apartment model both leave COM usable.
    static const bool initialised = [] {
        CoInitialize(nullptr);
        return true;
    }();
    (void)initialised;
}

}  // namespace

std::unique_ptr<ShellLink> CreateComShellLink() {
    InitialiseComOnce();
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                IID_IShellLinkA, reinterpret_cast<void**>(&link))))
        return nullptr;
    IPersistFile* file = nullptr;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        link->Release();
        return nullptr;
    }
    return std::make_unique<ComShellLink>(link, file);
}

}  // namespace zov::sys::win32
