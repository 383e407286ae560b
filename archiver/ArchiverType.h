// The archive formats the component knows, in their published order.
#pragma once

namespace arc {

enum class TArchiverType {
    atLha,
    atZip,
    atCab,
    atArj,
    atTar,
    atTgz,
    atBZ2,
    atRar,
    atBga,
    atYz1,
    atGCA,  // recognised, never handled
    atBel,  // recognised, never handled
    at7z,
    atNone,        // not recognised: setting it changes nothing
    atAutoDetect,  // no back-end until an operation probes the file
};

}  // namespace arc
