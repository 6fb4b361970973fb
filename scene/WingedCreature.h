#pragma once

#include <cstdint>

#include "render/Ribbon.h"
#include "render/RibbonMeshPart.h"
#include "scene/CreatureFlight.h"
#include "scene/CreatureWing.h"
#include "scene/WingedCreatureModel.h"
#include "sound/WingsSoundClass.h"

// Locations of one body part's program, then the program itself.
struct CreatureProgram {
    int aGridPoint = -1;
    int aNormal = -1;
    int aGridX = -1;
    int aGridY = -1;
    int uRibbonMatrixes = -1;
    int uRibbonVertexes = -1;
    int program = 0;
};

// The scene's one animal: a scaled, horned body bent along a 20-node ribbon by the
// ribbon vertex shader, steered by CreatureFlight, with two beating translucent wings
// that shed orange sparks and a wing sound kept at its head. Built with the OpenGL
// context current; not ready when the sound, a program or a buffer is missing.
class WingedCreature {
public:
    static constexpr int kBodyNodes = 20;  // NumberOfNodes of the body's vertex shader

    WingedCreature();

    WingedCreature(const WingedCreature&) = delete;
    WingedCreature& operator=(const WingedCreature&) = delete;

    bool IsReady() const { return ready_; }

    // One frame: motion, drawing and sound.
    void UpdateAndDraw(std::int32_t elapsedMs);

    // The frame's work without OpenGL: flight, wings with their sweeps and sparks, sound.
    void Step(std::int32_t elapsedMs);

    const Ribbon& Body() const { return body_; }
    const CreatureFlight& Flight() const { return flight_; }
    const CreatureWing& Wing(int k) const { return wings_[k]; }
    const WingsSoundClass& Sound() const { return sound_; }
    const RibbonMeshPart* Parts() const { return parts_; }

private:
    bool BuildPrograms();
    bool BuildBuffers();
    void DrawBody();
    static void DrawWing(const CreatureWing& wing);
    static void DrawSparks(const WingSparks& sparks);
    static unsigned int CreateGlowTexture();

    bool ready_ = false;
    CreatureProgram programs_[CreatureModelParts];
    Ribbon body_;
    CreatureFlight flight_;
    WingsSoundClass sound_;
    CreatureWing wings_[2];  // the wing on the model's +y side, then its mirror
    // This creature's copy of the model table, so that the buffer names are its own.
    RibbonMeshPart parts_[CreatureModelParts + 1];
};
