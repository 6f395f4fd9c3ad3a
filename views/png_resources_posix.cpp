#include "resources/embedded_pictures.h"
#include "views/png_resources.h"

bool FindPngResource(int id, const unsigned char*& data, size_t& size) {
    for (size_t i = 0; i < kEmbeddedPictureCount; ++i) {
        if (kEmbeddedPictures[i].id == id) {
            data = kEmbeddedPictures[i].data;
            size = kEmbeddedPictures[i].size;
            return true;
        }
    }
    return false;
}
