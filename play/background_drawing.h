// The drawing steps of a stage frame that belong to no single object: the
// backgrounds with their scroll, the visible block map, the pictures flow
// commands show, the time counter and the surface that limits the view.
#pragma once

#include <list>

#include "base/checked_containers.h"
#include "media/graphics/dd.h"
#include "platform/win_types.h"
#include "play/screen_picture.h"
#include "records/block.h"

// The pictures on show: one element in each list per picture.
struct PICTURESONSHOW {
  std::list<DDSURFACEDATA> lstSD;
  std::list<DDSURFACEINFO> lstInfo;
  cList<SCREENPICTURE> lstPic;
  int nCount = 0;
};

// Layer nLayer of the stage's backgrounds into lpDst; layer 0 shows palette
// colour 16 where no background is drawn.
void DrawBackgrounds(DDSURFACEDATA* lpDst, int nLayer);
// One play frame of the backgrounds' automatic scroll.
void StepBackgroundScroll();
// The block map's cells of draw layer nLayer in view.
void DrawBlockMap(DDSURFACEDATA* lpDst, int nLayer);
// The pictures of layer nLayer; a picture whose time is over is released
// and taken out of the lists.
void DrawScreenPictures(PICTURESONSHOW& pics, DDSURFACEDATA* lpDst, int nLayer, BOOL bPaused);
void ClearStagePictures(PICTURESONSHOW& pics);
// The time counter at (272, 24). With bWarn (a frame of play, not a frozen
// one) the warning sound is asked for at the start of each second while the
// counter stands in the warning time.
void DrawTimeCounter(DDSURFACEDATA* lpDst, BOOL bWarn);
// The surface drawn over the stage to limit player 0's view (radius r, view
// mode nViewMode): (1280 + 2r) x (960 + 2r) of colour 16 with a see-through
// window of 2r in the middle, round in modes 1 and 2.
void CreateStageSurface(DDSURFACEDATA* lpStage, DDSURFACEDATA* lpWork, int r, int nViewMode);

// The block fields the drawing reads: which draw layer a block is in and
// whether it is hidden (the block's settings A and B).
int BlockDrawLayer(const cEdBlock& block);
bool BlockHidden(const cEdBlock& block);
