#include "imaging/codec_unbuilt.h"

namespace gz {

void readEps(ByteReader&, RasterImage&) { throw EEpsNotSupported(); }
void readTls(ByteReader&, RasterImage&) { throw ETlsNotATlsFile(); }

}  // namespace gz
