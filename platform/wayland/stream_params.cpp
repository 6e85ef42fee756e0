#include "platform/wayland/stream_params.hpp"

#include <spa/buffer/buffer.h>
#include <spa/buffer/meta.h>
#include <spa/param/buffers.h>
#include <spa/param/video/format-utils.h>

namespace lupe::wayland {
namespace {

// Room for the pointer's picture in its metadata, which we do not use but
// the compositor may send: up to 1024 x 1024 pixels (mutter asks for 384 x 384).
constexpr int cursorMetaSize(int side) {
  return static_cast<int>(sizeof(spa_meta_cursor) + sizeof(spa_meta_bitmap)) + side * side * 4;
}
constexpr int kMostDamageRects = 16;

}  // namespace

// B, G, R, then alpha or padding: the bytes of our pixels. No most pictures
// a second: mutter 43 drops a move of the pointer that comes sooner than
// that after the last buffer, and sends it no later.
const spa_pod* videoFormats(spa_pod_builder& builder) {
  spa_rectangle size{1280, 1024}, least{1, 1}, most{16384, 16384};
  spa_fraction rate{0, 1}, slowest{0, 1}, fastest{1000, 1};
  return static_cast<const spa_pod*>(spa_pod_builder_add_object(
      &builder, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat,
      SPA_FORMAT_mediaType, SPA_POD_Id(SPA_MEDIA_TYPE_video),
      SPA_FORMAT_mediaSubtype, SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw),
      SPA_FORMAT_VIDEO_format,
      SPA_POD_CHOICE_ENUM_Id(3, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRx,
                             SPA_VIDEO_FORMAT_BGRA),
      SPA_FORMAT_VIDEO_size, SPA_POD_CHOICE_RANGE_Rectangle(&size, &least, &most),
      SPA_FORMAT_VIDEO_framerate, SPA_POD_CHOICE_RANGE_Fraction(&rate, &slowest, &fastest)));
}


void bufferParams(spa_pod_builder& builder, const spa_pod* params[kBufferParams]) {
  // Shared memory only: read in place by the processor, no GPU needed. As
  // many buffers as the compositor allows, up to 16: we hold the picture
  // read and the newest one waiting, and a buffer given back reaches the
  // compositor only with its next picture, so with fewer than four it can
  // find none free and lose a picture (Plasma 6 offers 2 to 4). With 8,
  // mutter 43 sent a new screen cast no first picture now and then.
  params[0] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
      &builder, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers,
      SPA_PARAM_BUFFERS_buffers, SPA_POD_CHOICE_RANGE_Int(16, 2, 16),
      SPA_PARAM_BUFFERS_dataType,
      SPA_POD_CHOICE_FLAGS_Int((1 << SPA_DATA_MemFd) | (1 << SPA_DATA_MemPtr))));
  params[1] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
      &builder, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type,
      SPA_POD_Id(SPA_META_Header), SPA_PARAM_META_size, SPA_POD_Int(sizeof(spa_meta_header))));
  params[2] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
      &builder, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type,
      SPA_POD_Id(SPA_META_Cursor), SPA_PARAM_META_size,
      SPA_POD_CHOICE_RANGE_Int(cursorMetaSize(64), cursorMetaSize(1), cursorMetaSize(1024))));
  params[3] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
      &builder, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type,
      SPA_POD_Id(SPA_META_VideoDamage), SPA_PARAM_META_size,
      SPA_POD_CHOICE_RANGE_Int(sizeof(spa_meta_region) * kMostDamageRects,
                               sizeof(spa_meta_region), sizeof(spa_meta_region) * kMostDamageRects)));
}

}  // namespace lupe::wayland
