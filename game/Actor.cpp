#include "game/Actor.h"

#include "render/GL.h"
#include "render/Model.h"

Actor::Actor(Model* model_, const Vec2& position_, int size, float health_)
    : model(model_), position(position_), health(health_), radius(size / 2)
{
}

void Actor::Draw()
{
    if (!model)
        return;
    glPushMatrix();
    glTranslatef(position.x, 0.0f, position.y);
    model->RenderTree();
    glPopMatrix();
}

void Actor::Damage(float amount)
{
    health -= amount;
}
