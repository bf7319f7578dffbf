// Edits of an object's bytes, as the artist's work between two saves.
#ifndef QK_HOST_LWO_EDIT_H_
#define QK_HOST_LWO_EDIT_H_

#include <string>

namespace qkhost {

// Returns `object` with one more "TEXT" chunk (a numbered comment) at its
// end. An IFF "FORM" object keeps a valid form size; other bytes just grow.
std::string appendEditChunk(const std::string& object);

}  // namespace qkhost

#endif  // QK_HOST_LWO_EDIT_H_
