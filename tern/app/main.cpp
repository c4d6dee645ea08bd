// tern: the Modbus link server.
#include <tern/server/TernProgram.h>

#include <cstdio>

int main(int argc, char** argv)
{
    const tern::HRESULT hr = tern::server::runTern(argc, argv);
    if (tern::FAILED(hr)) std::fprintf(stderr, "tern: failed with 0x%08X\n", static_cast<unsigned>(hr));
    return tern::server::exitStatusOf(hr);
}
