// Compiled only by the build test: it must fail, because no logic library brings Qt's headers along.
#include <QString>

#include "core/measurement_state.hpp"
#include "quality/fix_quality.hpp"

int ProbeQtLeak() {
    return QString().size();
}
