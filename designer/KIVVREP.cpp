#include "designer/KIVVREP.h"

namespace qor {

void RunVReport(TKivPage*, const std::vector<std::unique_ptr<TDsgItem>>&, const std::vector<std::unique_ptr<TExprItem>>&,
                const std::vector<std::unique_ptr<TTotalItem>>&, const std::vector<std::unique_ptr<TDBItem>>&,
                const std::function<void(TKivReport*)>&)
{
}

} // namespace qor
