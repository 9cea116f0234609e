// The chara effects' drawing: each kind of chara effect drawn through the
// media layer's effect blits. Start-up installs it into chara drawing.
#pragma once

struct DDSURFACEDATA;
struct CHARADRAWPARAMS;

void CharaEffectBlt(DDSURFACEDATA* lpDst, const CHARADRAWPARAMS& p);
void InstallCharaEffectBlt();
