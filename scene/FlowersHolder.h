#pragma once

#include <cstdint>
#include <vector>

#include "render/ShaderProgram.h"
#include "scene/Flower.h"

// The four flowers of the scene. Their stalks are drawn by the ribbon vertex shader from
// one shared tube, their fruits from one shared sphere; only the uniforms differ.
class FlowersHolder {
public:
    // Builds the programs, the two meshes and the flowers (GL context current).
    FlowersHolder();
    ~FlowersHolder();

    FlowersHolder(const FlowersHolder&) = delete;
    FlowersHolder& operator=(const FlowersHolder&) = delete;

    bool IsReady() const { return ready_; }
    // Advances the sways and reshapes every stalk.
    void Update(std::int32_t elapsedMs);
    // Every flower, stalk then fruit. Leaves the vertex array and the attribute arrays in
    // use enabled, blending off, no program in use and no buffer bound.
    void Draw();

    // The flowers in the order of the scene: (base, bend vector, length, fruit radius).
    static std::vector<Flower*> MakeFlowers();

    const std::vector<Flower*>& Flowers() const { return flowers_; }

private:
    bool BuildStalkProgram();
    bool BuildStalkMesh();
    bool BuildFruitProgram();
    bool BuildFruitMesh();
    void DrawStalk(Flower& flower);
    void DrawFruit(const Flower& flower);

    std::vector<Flower*> flowers_;  // owned
    bool ready_ = false;

    unsigned int stalkProgram_ = 0;
    RibbonProgramLocations stalk_;  // the stalk's colours never read the grid rulers
    unsigned int stalkVertexBuffer_ = 0;
    unsigned int stalkIndexBuffer_ = 0;

    unsigned int fruitProgram_ = 0;
    int fruitTransformationMatrix_ = -1;
    int fruitSphereCenter_ = -1;
    int fruitGridPoint_ = -1;
    unsigned int fruitVertexBuffer_ = 0;
    unsigned int fruitIndexBuffer_ = 0;
};
