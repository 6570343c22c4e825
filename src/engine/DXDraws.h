#pragma once
// Placeholder declarations until the surface engine lands.
class TDirectDrawSurface {
public:
    virtual ~TDirectDrawSurface() = default;
};
class TPictureCollectionItem {};
class TDXDraw {};
class TDXImageList {};
