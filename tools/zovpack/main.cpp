// zovpack: the install-builder's tool. It reads install.cfg as the setup does, makes and
// checks archives, raw codec streams and distribution media.
#include "tools/zovpack/commands.h"
#include "tools/zovpack/host_paths.h"

int main(int argc, char** argv) {
    zov::zovpack::InstallToolSystem();
    return zov::zovpack::RunZovpack(zov::zovpack::Args(argv + 1, argv + argc));
}
