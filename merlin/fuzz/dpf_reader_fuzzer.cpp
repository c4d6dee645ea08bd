// Fuzzes the definition-file reader: scanner, parser, store callbacks, the
// building of the parameter set and every by-group accessor on the result.
#include <merlin/core/CDpfParSet.h>

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    merlin::CDpfParSet set;
    std::ostringstream trace;   // written, so the trace formatting is fuzzed too
    set.SetTrace(&trace);
    set.ResetTables();
    set.ParseDefinitionText(std::string_view(reinterpret_cast<const char*>(data), size));
    std::vector<std::string> names;
    set.CollectGroupNames(names);
    set.BuildParameterSet();
    size_t sink = trace.str().size();
    for (int g = -1; g <= set.NumberOfGroups(); ++g) {
        sink += set.GroupName(g).size();
        const int size = set.GroupSize(g);
        for (int i = -1; i <= (size < 0 ? 0 : size); ++i) {
            sink += set.ValueText(g, i).size() + set.DefaultText(g, i).size();
            sink += set.MinimumText(g, i).size() + set.MaximumText(g, i).size();
            sink += set.Unit(g, i).size() + set.Choices(g, i).size();
            sink += set.ChoiceText(g, i, true).size();
            set.SetValueFromText(g, i, set.ValueText(g, i));
            set.SetValue(g, i, 1);
        }
    }
    for (const auto& fault : set.FaultCodeTable())
        sink += fault.text.size();
    static volatile size_t keep;
    keep = sink;
    return 0;
}
