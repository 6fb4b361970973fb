#pragma once

// 2D textures of the scene objects, made in the current GL context.

// A square level-0 picture for glTexImage2D; the enums are OpenGL's.
struct TextureImage {
    int internalFormat = 0;
    int size = 0;
    unsigned int pixelFormat = 0;
    unsigned int pixelType = 0;
    const void* pixels = nullptr;
};

// Generates a 2D texture, binds it and sets one wrap mode for s and t and the two
// filters. It stays bound, so a picture can be uploaded at once.
unsigned int CreateTexture(int wrap, int magFilter, int minFilter);
// The same, then uploads the picture; the texture stays bound.
unsigned int CreateTexture(int wrap, int magFilter, int minFilter, const TextureImage& image);
