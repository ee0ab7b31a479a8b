#include "game/EnemyType.h"

#include "render/Model.h"

EnemyType::EnemyType(const std::string& name_, std::unique_ptr<Model> model_, int scriptHandle_, int size_,
                     int health_)
    : name(name_), model(std::move(model_)), scriptHandle(scriptHandle_), size(size_), health(health_)
{
}

EnemyType::~EnemyType() = default;
