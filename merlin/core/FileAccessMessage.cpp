#include <merlin/core/FileAccessMessage.h>

namespace merlin {

platform::Notice fileAccessMessage(const std::string& file)
{
    return {"'" + file + "'\ncouldn't accessed !", platform::MsgIcon::Stop};
}

}  // namespace merlin
